// The installed game: `cmake --install` of this build into a temporary prefix
// puts the programs, the content, the desktop entry, the icons and the
// AppStream metadata where desktops look for them; the installed harness
// finds its content from an unrelated folder, also after the whole tree was
// moved; the desktop entry and the metadata pass the freedesktop and
// AppStream validators; `cpack -G DEB` makes a package with its library
// dependencies whose programs run from the unpacked tree.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "tests/support/HarnessCommand.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Result {
    int code = -1;      // exit code, -1 when the program did not exit normally
    std::string output;  // standard output and error together
};

// Runs a shell command in `dir`, without a display (no message box pops up).
Result RunIn(const std::string& command, const fs::path& dir, const fs::path& log) {
    const std::string line = "cd " + Quote(dir.string()) + " && env -u DISPLAY -u WAYLAND_DISPLAY " + command + " >" +
                             Quote(log.string()) + " 2>&1";
    int status = std::system(line.c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.output = ReadText(log);
    return r;
}

bool HasTool(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

std::set<std::string> FilesUnder(const fs::path& root) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), root).generic_string());
    return out;
}

// The one file in `dir` whose name ends with `suffix`, or an empty path.
fs::path OnlyFile(const fs::path& dir, const std::string& suffix) {
    fs::path found;
    int count = 0;
    if (!fs::is_directory(dir)) return {};
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            found = e.path();
            ++count;
        }
    }
    return count == 1 ? found : fs::path();
}

// The number of boxes stage 1's coordinate file declares (its first number).
int StageOneBoxes() {
    std::ifstream in(fs::path(GV_SOURCE_DIR) / "Data/CoordinateFile/Stage_1.txt");
    int count = -1;
    in >> count;
    return count;
}

// Runs the harness at `harness` from `dir` into the game scene of stage 1 for
// a few frames and checks in its trace that stage 1's objects were loaded.
void ExpectHarnessFindsContent(const fs::path& harness, const fs::path& dir) {
    Result r = RunIn(Quote(harness.string()) + " --no-render --stage 1 --frames 5 --trace trace.jsonl", dir,
                   dir / "harness.log");
    ASSERT_EQ(r.code, 0) << r.output;
    std::ifstream trace(dir / "trace.jsonl");
    std::string line, last;
    while (std::getline(trace, line)) last = line;
    ASSERT_FALSE(last.empty());
    nlohmann::json frame = nlohmann::json::parse(last);
    EXPECT_EQ(frame.at("frame"), 5);
    EXPECT_EQ(frame.at("scene"), "game");
    // The boxes come from the installed coordinate file: none would mean it was never read.
    ASSERT_GT(StageOneBoxes(), 0);
    EXPECT_EQ(frame.at("boxes").size(), static_cast<size_t>(StageOneBoxes()));
}

// Installs this build once for every test below.
class Installed : public testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new TempDir("gv_install");
        prefix_ = root_->path / "prefix";
        install_ = RunIn("cmake --install " + Quote(GV_BINARY_DIR) + " --prefix " + Quote(prefix_.string()), root_->path,
                       root_->path / "install.log");
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(install_.code, 0) << install_.output; }

    static fs::path Share() { return prefix_ / "share"; }
    static fs::path DesktopFile() { return OnlyFile(Share() / "applications", ".desktop"); }
    static fs::path MetainfoFile() { return OnlyFile(Share() / "metainfo", ".metainfo.xml"); }
    // The application id: the desktop entry's name without ".desktop".
    static std::string AppId() { return DesktopFile().stem().string(); }

    static TempDir* root_;
    static fs::path prefix_;
    static Result install_;
};

TempDir* Installed::root_ = nullptr;
fs::path Installed::prefix_;
Result Installed::install_;

}  // namespace

TEST_F(Installed, EverythingLandsWhereDesktopsLook) {
    for (const char* program : {"bin/gilded-vault", "bin/gilded-vault-harness"}) {
        const fs::path p = prefix_ / program;
        ASSERT_TRUE(fs::is_regular_file(p)) << program;
        EXPECT_NE(fs::status(p).permissions() & fs::perms::owner_exec, fs::perms::none) << program;
    }
    // The content is the repository's Data/, file for file.
    EXPECT_EQ(FilesUnder(Share() / "gilded-vault"), FilesUnder(fs::path(GV_SOURCE_DIR) / "Data"));

    ASSERT_FALSE(DesktopFile().empty()) << "exactly one desktop entry expected";
    ASSERT_FALSE(MetainfoFile().empty()) << "exactly one AppStream file expected";
    const std::string id = AppId();
    EXPECT_EQ(MetainfoFile().filename(), id + ".metainfo.xml");
    // Reverse-DNS id (AppStream wants it; the desktop entry and icon share it).
    EXPECT_GE(std::count(id.begin(), id.end(), '.'), 2) << id;

    const std::string desktop = ReadText(DesktopFile());
    EXPECT_NE(desktop.find("\nExec=gilded-vault\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nIcon=" + id + "\n"), std::string::npos) << desktop;
    const std::string metainfo = ReadText(MetainfoFile());
    EXPECT_NE(metainfo.find("<id>" + id + "</id>"), std::string::npos);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"), std::string::npos);
    // Every screenshot it names is one of the pictures in docs/screenshots.
    size_t at = 0;
    int screenshots = 0;
    while ((at = metainfo.find("<image", at)) != std::string::npos) {
        const size_t begin = metainfo.find('>', at) + 1;
        const size_t end = metainfo.find('<', begin);
        const std::string url = metainfo.substr(begin, end - begin);
        const std::string name = url.substr(url.rfind('/') + 1);
        EXPECT_TRUE(fs::exists(fs::path(GV_SOURCE_DIR) / "docs/screenshots" / name)) << url;
        ++screenshots;
        at = end;
    }
    EXPECT_GE(screenshots, 1);

    // The icon at the size its folder names, and the scalable one.
    const fs::path png = Share() / "icons/hicolor/256x256/apps" / (id + ".png");
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(stbi_info(png.string().c_str(), &w, &h, &channels)) << png;
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 256);
    const std::string svg = ReadText(Share() / "icons/hicolor/scalable/apps" / (id + ".svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("viewBox=\"0 0 256 256\""), std::string::npos);
}

TEST_F(Installed, DesktopEntryAndMetadataPassTheValidators) {
    ASSERT_TRUE(HasTool("desktop-file-validate")) << "install desktop-file-utils (scripts/install-deps.sh)";
    ASSERT_TRUE(HasTool("appstreamcli")) << "install appstream (scripts/install-deps.sh)";
    Result desktop = RunIn("desktop-file-validate " + Quote(DesktopFile().string()), root_->path, root_->path / "dfv.log");
    EXPECT_EQ(desktop.code, 0) << desktop.output;
    EXPECT_EQ(desktop.output, "") << "warnings or hints";
    // --strict: warnings and hints fail too, not only errors; --no-net: the
    // screenshot addresses are checked for form, not fetched.
    Result metainfo = RunIn("appstreamcli validate --no-net --strict " + Quote(MetainfoFile().string()), root_->path,
                          root_->path / "asv.log");
    EXPECT_EQ(metainfo.code, 0) << metainfo.output;
    // The installed tree as a whole: the desktop entry the metadata launches
    // and the icon it names are there.
    Result tree = RunIn("appstreamcli validate-tree --no-net " + Quote(prefix_.string()), root_->path,
                      root_->path / "ast.log");
    EXPECT_EQ(tree.code, 0) << tree.output;
}

TEST_F(Installed, InstalledProgramsRunFromAnUnrelatedFolder) {
    const fs::path elsewhere = root_->path / "elsewhere";
    fs::create_directories(elsewhere);
    ExpectHarnessFindsContent(prefix_ / "bin/gilded-vault-harness", elsewhere);

    Result version = RunIn(Quote((prefix_ / "bin/gilded-vault").string()) + " --version", elsewhere, elsewhere / "v.log");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.output.rfind("Gilded Vault ", 0), 0u) << version.output;
    Result help = RunIn(Quote((prefix_ / "bin/gilded-vault").string()) + " --help", elsewhere, elsewhere / "h.log");
    EXPECT_EQ(help.code, 0);
    for (const char* option : {"--fullscreen", "--data", "--profile", "--verbose", "--version", "--help"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
    Result wrong = RunIn(Quote((prefix_ / "bin/gilded-vault").string()) + " --fullscreeen", elsewhere, elsewhere / "w.log");
    EXPECT_EQ(wrong.code, 2) << wrong.output;

    // A named content folder that is not there: one message naming it, exit 1,
    // for the game (before any window opens) and the harness alike.
    const std::string missing = (elsewhere / "no-such-content").string();
    Result game = RunIn(Quote((prefix_ / "bin/gilded-vault").string()) + " --data " + Quote(missing), elsewhere,
                      elsewhere / "g.log");
    EXPECT_EQ(game.code, 1) << game.output;
    EXPECT_NE(game.output.find(missing), std::string::npos) << game.output;
    Result harness = RunIn(Quote((prefix_ / "bin/gilded-vault-harness").string()) + " --frames 1 --data " + Quote(missing),
                         elsewhere, elsewhere / "m.log");
    EXPECT_EQ(harness.code, 1) << harness.output;
    EXPECT_NE(harness.output.find(missing), std::string::npos) << harness.output;

    // Content found but no display to open the window on: the window's
    // message, then exit 1, so a launcher or script sees the failed start.
    Result noDisplay = RunIn("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + Quote((prefix_ / "bin/gilded-vault").string()),
                             elsewhere, elsewhere / "d.log");
    EXPECT_EQ(noDisplay.code, 1) << noDisplay.output;
    EXPECT_NE(noDisplay.output.find("ウィンドウ作成に失敗"), std::string::npos) << noDisplay.output;
}

// The installed tree moved somewhere else as a whole (an unpacked archive,
// a different prefix) still finds its content beside its programs.
TEST_F(Installed, MovedInstallStillFindsItsContent) {
    const fs::path moved = root_->path / "moved";
    fs::create_directories(moved);
    ASSERT_EQ(std::system(("cp -a " + Quote(prefix_.string()) + " " + Quote((moved / "tree").string())).c_str()), 0);
    const fs::path elsewhere = root_->path / "elsewhere-moved";
    fs::create_directories(elsewhere);
    ExpectHarnessFindsContent(moved / "tree/bin/gilded-vault-harness", elsewhere);
}

// The Debian package: built from this build's CPack configuration (nothing is
// compiled), with the library dependencies dpkg-shlibdeps found, the files
// under /usr, stripped programs that run from the unpacked tree.
TEST(DebianPackage, BuildsWithDependenciesAndRunsUnpacked) {
    for (const char* tool : {"cpack", "dpkg-deb", "dpkg-shlibdeps", "file"})
        ASSERT_TRUE(HasTool(tool)) << tool << " missing: run scripts/install-deps.sh";
    TempDir tmp("gv_deb");
    Result pack = RunIn("cpack -G DEB --config " + Quote(std::string(GV_BINARY_DIR) + "/CPackConfig.cmake") + " -B " +
                          Quote((tmp.path / "out").string()),
                      tmp.path, tmp.path / "cpack.log");
    ASSERT_EQ(pack.code, 0) << pack.output;
    const fs::path deb = OnlyFile(tmp.path / "out", ".deb");
    ASSERT_FALSE(deb.empty()) << pack.output;

    Result fields = RunIn("dpkg-deb -f " + Quote(deb.string()) + " Package Section Depends", tmp.path, tmp.path / "f.log");
    ASSERT_EQ(fields.code, 0) << fields.output;
    EXPECT_NE(fields.output.find("Package: gilded-vault\n"), std::string::npos) << fields.output;
    EXPECT_NE(fields.output.find("Section: games\n"), std::string::npos) << fields.output;
    // Found by dpkg-shlibdeps from the programs' libraries, with versions...
    for (const char* lib : {"libc6 (>=", "libsdl2-2.0-0 (>=", "libopenal1 (>=", "libepoxy0 (>=", "libstdc++6 (>="})
        EXPECT_NE(fields.output.find(lib), std::string::npos) << lib << " in " << fields.output;
    // ...and the GL libraries SDL and libepoxy open at run time.
    for (const char* lib : {"libgl1", "libegl1"}) EXPECT_NE(fields.output.find(lib), std::string::npos) << lib;

    const fs::path unpacked = tmp.path / "root";
    ASSERT_EQ(RunIn("dpkg-deb -x " + Quote(deb.string()) + " " + Quote(unpacked.string()), tmp.path, tmp.path / "x.log").code, 0);
    for (const char* file : {"usr/bin/gilded-vault", "usr/bin/gilded-vault-harness",
                             "usr/share/gilded-vault/CoordinateFile/Stage_1.txt"})
        EXPECT_TRUE(fs::is_regular_file(unpacked / file)) << file;
    EXPECT_FALSE(OnlyFile(unpacked / "usr/share/applications", ".desktop").empty());
    EXPECT_FALSE(OnlyFile(unpacked / "usr/share/metainfo", ".metainfo.xml").empty());
    // Stripped: no debug sections in the packaged programs.
    Result sections = RunIn("readelf -S " + Quote((unpacked / "usr/bin/gilded-vault").string()), tmp.path, tmp.path / "s.log");
    ASSERT_EQ(sections.code, 0) << sections.output;
    EXPECT_EQ(sections.output.find(".debug_info"), std::string::npos);

    const fs::path elsewhere = tmp.path / "elsewhere";
    fs::create_directories(elsewhere);
    ExpectHarnessFindsContent(unpacked / "usr/bin/gilded-vault-harness", elsewhere);
}
