// gv_content [REPO_ROOT]: regenerates Data/ and the docs pictures.
#include <cstdio>
#include <string>

#include "tools/content/Content.h"

int main(int argc, char** argv) {
    std::string root = argc > 1 ? argv[1] : GV_SOURCE_DIR;
    ContentContext ctx{root + "/Data", root + "/docs", root + "/tools/content"};
    bool ok = WriteModelsAndImages(ctx);
    ok = WriteSounds(ctx) && ok;
    ok = WriteStages(ctx) && ok;
    if (!ok) {
        std::fprintf(stderr, "gv_content: some content could not be written\n");
        return 1;
    }
    std::printf("gv_content: wrote %s\n", ctx.dataDir.c_str());
    return 0;
}
