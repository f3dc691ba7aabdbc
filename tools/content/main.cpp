// gv_content [--out ROOT] [--stages DIR]: regenerates ROOT/Data and the
// pictures in ROOT/docs (ROOT defaults to the source tree). The stage
// descriptions and coordinate files are read from DIR (stage1.txt,
// Stage_1.txt, stage2.txt, ...), by default the source tree's
// tools/content/stages, so a new stage can be tried in a folder of its own.
// gv_content --check DESCRIPTION COORDINATES: checks one stage (a description
// like stages/stage1.txt and a coordinate file like stages/Stage_1.txt)
// against the geometry rules, writes nothing; exit 0 when it passes, 1 when a
// rule is broken (each printed to stderr, naming the stage and the object).
// gv_content --strip OUT.png SHOT.png...: lays harness screenshots out as a
// picture strip (docs/playthrough-stage<N>.png), three to a row.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <stb_image_write.h>

#include "tools/content/Content.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: gv_content [--out ROOT] [--stages DIR]\n       gv_content --check DESCRIPTION COORDINATES\n"
                 "       gv_content --strip OUT.png SHOT.png...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string root = GV_SOURCE_DIR;
    if (argc >= 2 && std::strcmp(argv[1], "--strip") == 0) {
        if (argc < 4) return Usage();
        stbi_write_png_compression_level = 9;
        return WritePlaythroughStrip(argv[2], std::vector<std::string>(argv + 3, argv + argc)) ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--check") == 0) {
        if (argc != 4) return Usage();
        ContentContext ctx{root + "/Data", root + "/docs", root + "/tools/content", ""};
        return CheckStageFiles(ctx, argv[2], argv[3]) ? 0 : 1;
    }
    std::string stages;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            root = argv[++i];
        } else if (std::strcmp(argv[i], "--stages") == 0 && i + 1 < argc) {
            stages = argv[++i];
        } else {
            return Usage();
        }
    }
    // every PNG of every writer uses the same fixed settings, so the bytes
    // do not depend on which writer runs first
    stbi_write_png_compression_level = 9;
    stbi_write_force_png_filter = -1;
    ContentContext ctx{root + "/Data", root + "/docs", std::string(GV_SOURCE_DIR) + "/tools/content", stages};
    bool ok = WriteModelsAndImages(ctx);
    ok = WriteSounds(ctx) && ok;
    ok = WriteStages(ctx) && ok;
    ok = WriteAppIcon(ctx) && ok;
    ok = WriteContactSheet(ctx) && ok;
    if (!ok) {
        std::fprintf(stderr, "gv_content: some content could not be written\n");
        return 1;
    }
    std::printf("gv_content: wrote %s\n", ctx.dataDir.c_str());
    return 0;
}
