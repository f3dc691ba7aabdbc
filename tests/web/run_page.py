#!/usr/bin/env python3
"""Serves build-web/ on 127.0.0.1, opens a page of it in headless Chromium and
waits for the page's report (web/index.html posts it to /report when the
address says report=1). Prints nothing; returns the report as a dict.

Also usable from the command line for figures and debugging:
  run_page.py BUILD_WEB_DIR 'index.html?input=playthroughs/full_game.txt' [OUT.json]
"""
import http.server
import json
import os
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class _Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def run_page(folder, page, timeout_s=600, extra_flags=()):
    """Returns (report or None, chromium's output, seconds until the report)."""
    reports = []
    done = threading.Event()

    class Handler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=folder, **kwargs)

        def log_message(self, *args):
            pass

        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0"))
            body = self.rfile.read(length)
            self.send_response(204)
            self.end_headers()
            if self.path == "/report":
                reports.append(json.loads(body))
                done.set()

    server = _Server(("127.0.0.1", 0), Handler)
    port = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
    chromium = find_chromium()
    if not chromium:
        raise RuntimeError("no chromium on PATH (scripts/install-web-deps.sh --browser installs it)")
    separator = "&" if "?" in page else "?"
    url = f"http://127.0.0.1:{port}/{page}{separator}report=1"
    profile = tempfile.mkdtemp(prefix="gv-chromium-")
    flags = [
        "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
        "--disable-gpu-sandbox", "--no-first-run", "--no-default-browser-check", "--mute-audio",
        "--autoplay-policy=no-user-gesture-required", "--disable-background-timer-throttling",
        "--disable-renderer-backgrounding", "--window-size=1280,720", f"--user-data-dir={profile}",
        "--enable-logging=stderr", "--v=0",
    ]
    start = time.monotonic()
    log = tempfile.TemporaryFile()
    browser = subprocess.Popen([chromium, *flags, *extra_flags, url], stdout=log, stderr=subprocess.STDOUT)
    try:
        done.wait(timeout_s)
        elapsed = time.monotonic() - start
    finally:
        browser.terminate()
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            browser.kill()
            browser.wait()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)
    log.seek(0)
    output = log.read().decode("utf-8", "replace")
    return (reports[0] if reports else None), output, elapsed


if __name__ == "__main__":
    report, output, elapsed = run_page(sys.argv[1], sys.argv[2])
    if report is None:
        sys.stderr.write(output[-5000:])
        sys.exit(1)
    summary = {k: v for k, v in report.items() if k not in ("trace", "shot")}
    summary["seconds"] = elapsed
    print(json.dumps(summary))
    if len(sys.argv) > 3:
        with open(sys.argv[3], "w") as f:
            json.dump(report, f)
