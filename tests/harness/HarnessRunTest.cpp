// End-to-end runs of gilded_vault_harness: the real application loop and
// scenes on the headless platform, checked through the trace and screenshots.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string HarnessPath() {
    if (const char* env = std::getenv("GV_HARNESS"); env && *env) return env;
    return std::string(GV_BINARY_DIR) + "/gilded_vault_harness";
}

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class HarnessRun : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("gv_harness_" + std::to_string(::getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string File(const std::string& name) const { return (dir_ / name).string(); }

    std::string WriteScript(const std::string& text) const {
        std::string path = File("input.txt");
        std::ofstream(path) << text;
        return path;
    }

    // Runs the harness from the repository root (it reads Data/); returns
    // its exit code, or -1 if it did not exit normally.
    int Run(const std::string& args) {
        std::string command = "cd " + Quote(GV_SOURCE_DIR) + " && " + Quote(HarnessPath()) + " " + args + " 2>" +
                              Quote(File("stderr.txt"));
        int status = std::system(command.c_str());
        std::ifstream err(File("stderr.txt"));
        stderr_.assign(std::istreambuf_iterator<char>(err), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<nlohmann::json> ReadTrace() const {
        std::vector<nlohmann::json> frames;
        std::ifstream in(File("trace.jsonl"));
        std::string line;
        while (std::getline(in, line)) frames.push_back(nlohmann::json::parse(line));
        return frames;
    }

    static bool HasEvent(const nlohmann::json& frame, const std::string& event) {
        for (const auto& e : frame.at("events"))
            if (e == event) return true;
        return false;
    }

    fs::path dir_;
    std::string stderr_;
};

}  // namespace

TEST_F(HarnessRun, TitleFadesInAndAClickStartsStageOneAfterTheLeaveAnimation) {
    std::string script = WriteScript("# click in frame 5\n4\n1 LMB\n");
    ASSERT_EQ(Run("--frames 50 --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    std::vector<nlohmann::json> frames = ReadTrace();
    ASSERT_EQ(frames.size(), 50u);
    for (size_t i = 0; i < frames.size(); ++i) ASSERT_EQ(frames[i].at("frame"), i + 1);

    EXPECT_TRUE(HasEvent(frames[0], "scene:title"));
    EXPECT_EQ(frames[0].at("scene"), "title");
    EXPECT_FALSE(frames[0].contains("stage"));
    EXPECT_NEAR(frames[0].at("fade").get<double>(), 0.95, 1e-6);
    EXPECT_NEAR(frames[18].at("fade").get<double>(), 0.05, 1e-6);
    EXPECT_EQ(frames[19].at("fade").get<double>(), 0.0);

    // Clicked in frame 5: 20 squash frames (the last also the first of the
    // 20 fade-out frames), the game scene requested in frame 43 and current
    // from frame 44.
    int firstGameFrame = 0;
    for (const auto& frame : frames) {
        if (HasEvent(frame, "scene:game:1")) {
            EXPECT_EQ(firstGameFrame, 0) << "entered twice";
            firstGameFrame = frame.at("frame").get<int>();
        }
    }
    EXPECT_EQ(firstGameFrame, 44);
    EXPECT_EQ(frames[42].at("scene"), "title");
    EXPECT_NEAR(frames[42].at("fade").get<double>(), 1.0, 1e-6);
    EXPECT_EQ(frames[43].at("scene"), "game");
    EXPECT_EQ(frames[43].at("stage"), 1);
    EXPECT_EQ(frames[49].at("scene"), "game");
}

TEST_F(HarnessRun, ScreenshotOfTheTitleIsAFullSizeImage) {
    std::string shot = File("title.png");
    ASSERT_EQ(Run("--frames 60 --shot 60:" + Quote(shot)), 0) << stderr_;
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(shot.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr) << "no readable PNG at " << shot;
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    std::set<uint32_t> colours;
    for (int i = 0; i < width * height && colours.size() < 16; i += 97) {
        const stbi_uc* p = pixels + i * 3;
        colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
    }
    stbi_image_free(pixels);
    EXPECT_GE(colours.size(), 16u) << "the title should not be one flat colour";
}

TEST_F(HarnessRun, EscapeEndsTheRunCleanlyInItsFrame) {
    std::string script = WriteScript("3\n1 ESC\n");
    ASSERT_EQ(Run("--frames 100 --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    // The frame in which Escape arrives does no scene work and is not traced.
    EXPECT_EQ(ReadTrace().size(), 3u);
}

TEST_F(HarnessRun, WithoutFramesTheRunLastsAsLongAsTheScript) {
    std::string script = WriteScript("7\n2 W\n");
    ASSERT_EQ(Run("--input " + Quote(script) + " --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    EXPECT_EQ(ReadTrace().size(), 9u);
}

TEST_F(HarnessRun, StageOptionStartsInTheGameScene) {
    ASSERT_EQ(Run("--frames 2 --stage 2 --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    std::vector<nlohmann::json> frames = ReadTrace();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(HasEvent(frames[0], "scene:game:2"));
    EXPECT_EQ(frames[0].at("scene"), "game");
    EXPECT_EQ(frames[0].at("stage"), 2);
}

TEST_F(HarnessRun, BadInputIsRefusedWithAClearMessage) {
    std::string script = WriteScript("2 W\n1 FLY\n");
    EXPECT_EQ(Run("--input " + Quote(script)), 2);
    EXPECT_NE(stderr_.find("line 2: unknown token 'FLY'"), std::string::npos) << stderr_;

    EXPECT_EQ(Run("--input " + Quote(File("missing.txt"))), 2);
    EXPECT_NE(stderr_.find("cannot open input script"), std::string::npos) << stderr_;

    EXPECT_EQ(Run("--frames 5 --bogus"), 2);
    EXPECT_NE(stderr_.find("unknown option '--bogus'"), std::string::npos) << stderr_;

    EXPECT_EQ(Run("--frames 5 --shot 6:" + Quote(File("late.png"))), 2);
    EXPECT_NE(stderr_.find("after the last frame"), std::string::npos) << stderr_;
}

TEST_F(HarnessRun, AShotMissedBecauseOfEscapeIsAFailure) {
    std::string script = WriteScript("1 ESC\n");
    EXPECT_EQ(Run("--frames 10 --input " + Quote(script) + " --shot 5:" + Quote(File("x.png"))), 1);
    EXPECT_NE(stderr_.find("not taken"), std::string::npos) << stderr_;
    EXPECT_FALSE(fs::exists(File("x.png")));
}
