// gv_content --strip: the picture strips of the design notes
// (docs/playthrough-stage<N>.png): harness screenshots of a playthrough, each
// shrunk to a third and laid out row by row, three to a row, on a dark ground.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <stb_image.h>

#include "tools/content/Content.h"

namespace {

constexpr int kColumns = 3;
constexpr int kShrink = 3;     // 1280 x 720 shots become 426 x 240
constexpr int kGap = 4;        // pixels between and around the pictures
constexpr uint8_t kGround = 28;  // the dark grey of the docs' pictures

}  // namespace

bool WritePlaythroughStrip(const std::string& outPath, const std::vector<std::string>& shots) {
    if (shots.empty()) {
        std::fprintf(stderr, "gv_content: --strip needs at least one screenshot\n");
        return false;
    }
    struct Picture {
        int w = 0, h = 0;
        std::vector<uint8_t> rgba;
    };
    std::vector<Picture> pictures;
    int cellW = 0, cellH = 0;
    for (const std::string& path : shots) {
        int w = 0, h = 0, n = 0;
        unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 4);
        if (!data) {
            std::fprintf(stderr, "gv_content: cannot read %s: %s\n", path.c_str(), stbi_failure_reason());
            return false;
        }
        // every kShrink x kShrink block averaged into one pixel
        Picture p;
        p.w = w / kShrink;
        p.h = h / kShrink;
        p.rgba.assign(static_cast<size_t>(p.w) * p.h * 4, 0);
        for (int y = 0; y < p.h; ++y) {
            for (int x = 0; x < p.w; ++x) {
                for (int c = 0; c < 4; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < kShrink; ++dy)
                        for (int dx = 0; dx < kShrink; ++dx)
                            sum += data[(static_cast<size_t>(y * kShrink + dy) * w + (x * kShrink + dx)) * 4 + c];
                    p.rgba[(static_cast<size_t>(y) * p.w + x) * 4 + c] =
                        static_cast<uint8_t>((sum + kShrink * kShrink / 2) / (kShrink * kShrink));
                }
            }
        }
        stbi_image_free(data);
        cellW = std::max(cellW, p.w);
        cellH = std::max(cellH, p.h);
        pictures.push_back(std::move(p));
    }
    const int columns = std::min<int>(kColumns, static_cast<int>(pictures.size()));
    const int rows = (static_cast<int>(pictures.size()) + columns - 1) / columns;
    const int width = columns * cellW + (columns + 1) * kGap, height = rows * cellH + (rows + 1) * kGap;
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4, kGround);
    for (size_t i = 0; i < out.size(); i += 4) out[i + 3] = 255;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Picture& p = pictures[i];
        const int left = kGap + static_cast<int>(i % columns) * (cellW + kGap);
        const int top = kGap + static_cast<int>(i / columns) * (cellH + kGap);
        for (int y = 0; y < p.h; ++y) {
            for (int x = 0; x < p.w; ++x) {
                const uint8_t* s = &p.rgba[(static_cast<size_t>(y) * p.w + x) * 4];
                uint8_t* d = &out[(static_cast<size_t>(top + y) * width + left + x) * 4];
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
            }
        }
    }
    if (!WritePng(outPath, width, height, out)) return false;
    std::printf("gv_content: wrote %s (%zu pictures)\n", outPath.c_str(), pictures.size());
    return true;
}
