#!/usr/bin/env python3
"""The web build in a real browser (ctest label "web").

Builds the web version (scripts/build-web.sh, incremental), serves build-web/
on 127.0.0.1 and opens it in headless Chromium (SwiftShader WebGL 2):
  1. the title, 40 frames without input: the picture taken in the page
     shows the room (not a blank canvas) and is close to the native
     harness's picture of the same frame;
  2. the full-game playthrough (scripted, logic only, as the harness's
     --no-render): no failure, the scenes run title, stage 1, clear 1, ...,
     title, and every frame's scene and events are the native harness's.
  3. content that does not load, and a browser without WebGL 2: the page
     says so instead of showing a blank canvas.
Skipped (exit 77) when emscripten or Chromium is missing, unless
GV_REQUIRE_WEB=1 (scripts/test.sh sets it).
Usage: web_test.py REPO_ROOT HARNESS_EXECUTABLE
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_page import find_chromium, run_page  # noqa: E402

SKIP = 77
TITLE_FRAME = 40


def read_png(data):
    """8-bit RGB or RGBA, non-interlaced PNG (what the harness writes) -> (w, h, channels, rows)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), "unexpected PNG format"
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    return width, height, channels, rows


def grey_values(png, step=4):
    """Every step-th pixel's grey level, for cheap statistics."""
    width, height, channels, rows = read_png(png)
    values = []
    for y in range(0, height, step):
        row = rows[y]
        for x in range(0, width, step):
            r, g, b = row[x * channels:x * channels + 3]
            values.append((r * 299 + g * 587 + b * 114) // 1000)
    return width, height, values


def scenes(trace):
    """The scenes in order, each once per stretch: ["title", "game 1", ...]."""
    out = []
    for frame in trace:
        name = frame["scene"] if frame.get("scene") == "title" else f'{frame.get("scene")} {frame.get("stage")}'
        if not out or out[-1] != name:
            out.append(name)
    return out


def main():
    root, harness = sys.argv[1], sys.argv[2]
    required = os.environ.get("GV_REQUIRE_WEB") == "1"
    if not required and (not shutil.which("em++") or not find_chromium()):
        print("emscripten or chromium missing: web test skipped (scripts/test.sh installs them)")
        return SKIP
    build = subprocess.run(["bash", os.path.join(root, "scripts", "build-web.sh")], cwd=root)
    if build.returncode != 0:
        print("FAIL: scripts/build-web.sh failed")
        return 1
    folder = os.path.join(root, "build-web")
    failures = []
    work = tempfile.mkdtemp(prefix="gv-web-test-")
    try:
        # 1. The title, in the browser and natively.
        report, output, _ = run_page(folder, f"index.html?frames={TITLE_FRAME}&shot={TITLE_FRAME}", 300)
        if report is None or report.get("failure") or not report.get("shot"):
            failures.append("title run: " + (json.dumps(report)[:500] if report else "no report\n" + output[-3000:]))
        else:
            import base64
            web_png = base64.b64decode(report["shot"])
            with open(os.path.join(work, "title-web.png"), "wb") as f:
                f.write(web_png)
            native_file = os.path.join(work, "title-native.png")
            subprocess.run([harness, "--frames", str(TITLE_FRAME), "--shot", f"{TITLE_FRAME}:{native_file}"],
                           cwd=root, check=True)
            with open(native_file, "rb") as f:
                native_png = f.read()
            width, height, web = grey_values(web_png)
            _, _, native = grey_values(native_png)
            mean = sum(web) / len(web)
            spread = (sum((v - mean) ** 2 for v in web) / len(web)) ** 0.5
            difference = sum(abs(a - b) for a, b in zip(web, native)) / len(web)
            print(f"title: {width}x{height}, grey mean {mean:.1f}, spread {spread:.1f}, "
                  f"mean difference from native {difference:.2f}")
            if (width, height) != (1280, 720):
                failures.append(f"title picture is {width}x{height}")
            if spread < 20:
                failures.append(f"title picture is nearly flat (spread {spread:.1f}): a blank canvas")
            if difference > 3:
                failures.append(f"title picture differs from the native one by {difference:.2f} grey levels on average")

        # 2. The full game, scripted.
        script = "playthroughs/full_game.txt"
        report, output, seconds = run_page(folder, f"index.html?input={script}&norender=1", 900)
        if report is None or report.get("failure"):
            failures.append("full game: " + (str(report.get("failure")) if report else "no report\n" + output[-3000:]))
        else:
            web_trace = [json.loads(line) for line in report["trace"]]
            native_file = os.path.join(work, "native.jsonl")
            subprocess.run([harness, "--no-render", "--input", os.path.join("tests", script), "--trace", native_file],
                           cwd=root, check=True)
            with open(native_file) as f:
                native_trace = [json.loads(line) for line in f]
            expected = ["title", "game 1", "clear 1", "game 2", "clear 2", "game 3", "clear 3", "title"]
            print(f"full game: {len(web_trace)} frames in {seconds:.1f} s; scenes {scenes(web_trace)}")
            if scenes(web_trace) != expected:
                failures.append(f"scenes {scenes(web_trace)}, expected {expected}")
            if len(web_trace) != len(native_trace):
                failures.append(f"{len(web_trace)} frames on the web, {len(native_trace)} natively")
            for web_frame, native_frame in zip(web_trace, native_trace):
                for key in ("frame", "scene", "stage", "events"):
                    if web_frame.get(key) != native_frame.get(key):
                        failures.append(f"frame {native_frame['frame']}: {key} is {web_frame.get(key)} on the web, "
                                        f"{native_frame.get(key)} natively")
                        break
                if len(failures) > 10:
                    break
            numbers = sum(1 for w, n in zip(web_trace, native_trace) if w != n)
            print(f"frames whose numbers differ from the native trace: {numbers} of {len(native_trace)}")

        # 3. Content that does not load: a message, not a blank page.
        broken = os.path.join(work, "broken")
        os.mkdir(broken)
        for name in ("index.html", "gilded_vault.js", "gilded_vault.wasm"):
            shutil.copy(os.path.join(folder, name), broken)
        report, output, _ = run_page(broken, "index.html", 120)
        if report is None or "content could not be loaded" not in str(report.get("failure")):
            failures.append("missing content: " + (str(report.get("failure")) if report else "no report"))
        # 4. A browser without WebGL 2: the page says so instead of starting.
        report, output, _ = run_page(folder, "index.html", 120, ("--disable-webgl2",))
        if report is None or "needs WebGL 2" not in str(report.get("failure")):
            failures.append("no WebGL 2: " + (str(report.get("failure")) if report else "no report"))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
