// Finding the content: the working directory's Data/ first, then Data/ beside
// the executable, then the installed folder; --data names it outright. The
// resource factory and the stage file path follow the chosen folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/audio/FwAudio.h"
#include "framework/model/FwModel.h"
#include "framework/platform/FwPlatform.h"
#include "framework/resource/FwDataRoot.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/StageFile.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A folder laid out like Data/ (empty subfolders are enough to be taken for content).
void MakeContentFolder(const fs::path& folder) {
    for (const char* sub : {"Model", "Texture", "Sound", "CoordinateFile"}) fs::create_directories(folder / sub);
}

// Every test leaves the process as it found it: default root, same working directory.
class DataRoot : public testing::Test {
protected:
    void SetUp() override { previousDir_ = fs::current_path(); }
    void TearDown() override {
        FwDataRoot::Set("");
        FwResourceFactory::GetInstance().ClearForTests();
        fs::current_path(previousDir_);
    }
    fs::path previousDir_;
};

}  // namespace

TEST_F(DataRoot, DefaultIsDataInTheWorkingDirectory) {
    EXPECT_EQ(FwDataRoot::Get(), "Data/");
    EXPECT_EQ(FwDataRoot::Path("Model/x.gltf"), "Data/Model/x.gltf");
    EXPECT_EQ(StageFilePath(1), "Data/CoordinateFile/Stage_1.txt");
    FwDataRoot::Set("/opt/gv");
    EXPECT_EQ(FwDataRoot::Get(), "/opt/gv/");  // the separator is added
    EXPECT_EQ(StageFilePath(2), "/opt/gv/CoordinateFile/Stage_2.txt");
    FwDataRoot::Set("/opt/gv/");
    EXPECT_EQ(FwDataRoot::Get(), "/opt/gv/");  // and not doubled
    FwDataRoot::Set("");
    EXPECT_EQ(FwDataRoot::Get(), "Data/");
}

TEST_F(DataRoot, CandidatesComeInSearchOrderWithoutRepeats) {
    // An installed game: beside-the-executable and installed folders differ.
    EXPECT_EQ(FwDataRoot::Candidates("/opt/gv/bin", "../share/gilded-vault", "/usr/local/share/gilded-vault"),
              (std::vector<std::string>{"Data/", "/opt/gv/bin/Data/", "/opt/gv/share/gilded-vault/",
                                        "/usr/local/share/gilded-vault/"}));
    // Installed where it was configured for: the relative and absolute entries meet.
    EXPECT_EQ(FwDataRoot::Candidates("/usr/bin", "../share/gilded-vault", "/usr/share/gilded-vault"),
              (std::vector<std::string>{"Data/", "/usr/bin/Data/", "/usr/share/gilded-vault/"}));
    // Unknown executable folder: only the working directory and the install location.
    EXPECT_EQ(FwDataRoot::Candidates("", "../share/gilded-vault", "/usr/share/gilded-vault"),
              (std::vector<std::string>{"Data/", "/usr/share/gilded-vault/"}));
    EXPECT_EQ(FwDataRoot::Candidates("", "", ""), std::vector<std::string>{"Data/"});
}

TEST_F(DataRoot, OnlyAFolderWithTheContentSubfoldersCounts) {
    TempDir tmp("gv_dataroot");
    const fs::path good = tmp.path / "good";
    MakeContentFolder(good);
    EXPECT_TRUE(FwDataRoot::HoldsContent(good.string()));
    EXPECT_TRUE(FwDataRoot::HoldsContent(good.string() + "/"));
    // A folder that merely is called Data (say, in someone's home) is skipped.
    const fs::path unrelated = tmp.path / "Data";
    fs::create_directories(unrelated / "Photos");
    EXPECT_FALSE(FwDataRoot::HoldsContent(unrelated.string()));
    // One subfolder missing, or a file where a folder belongs.
    const fs::path partial = tmp.path / "partial";
    MakeContentFolder(partial);
    fs::remove(partial / "Sound");
    EXPECT_FALSE(FwDataRoot::HoldsContent(partial.string()));
    std::ofstream(partial / "Sound") << "not a folder";
    EXPECT_FALSE(FwDataRoot::HoldsContent(partial.string()));
    EXPECT_FALSE(FwDataRoot::HoldsContent((tmp.path / "missing").string()));
    EXPECT_FALSE(FwDataRoot::HoldsContent(""));

    EXPECT_EQ(FwDataRoot::FirstWithContent({unrelated.string(), partial.string(), good.string()}), good.string());
    EXPECT_FALSE(FwDataRoot::FirstWithContent({unrelated.string(), partial.string()}).has_value());
}

TEST_F(DataRoot, WorkingDirectoryComesFirstAndStaysRelative) {
    TempDir tmp("gv_dataroot");
    MakeContentFolder(tmp.path / "Data");
    fs::current_path(tmp.path);
    std::vector<std::string> tried;
    ASSERT_TRUE(FwDataRoot::Locate("", tried));
    // Exactly the relative default: development runs see the paths they always did.
    EXPECT_EQ(FwDataRoot::Get(), "Data/");
    EXPECT_EQ(tried.front(), "Data/");
}

TEST_F(DataRoot, NamedFolderIsTheOnlyOneTried) {
    TempDir tmp("gv_dataroot");
    const fs::path content = tmp.path / "content";
    MakeContentFolder(content);
    std::vector<std::string> tried;
    ASSERT_TRUE(FwDataRoot::Locate(content.string(), tried));
    EXPECT_EQ(FwDataRoot::Get(), content.string() + "/");
    EXPECT_EQ(tried, std::vector<std::string>{content.string() + "/"});

    // A wrong --data is an error even when Data/ sits in the working directory.
    FwDataRoot::Set("");
    fs::current_path(GV_SOURCE_DIR);
    ASSERT_TRUE(FwDataRoot::HoldsContent("Data"));
    const std::string wrong = (tmp.path / "nowhere").string();
    EXPECT_FALSE(FwDataRoot::Locate(wrong, tried));
    EXPECT_EQ(tried, std::vector<std::string>{wrong + "/"});
    EXPECT_EQ(FwDataRoot::Get(), "Data/");  // unchanged by a failed search
}

TEST_F(DataRoot, MissingContentMessageNamesEveryFolderTried) {
    TempDir tmp("gv_dataroot");
    fs::current_path(tmp.path);  // no Data/ here
    std::vector<std::string> tried;
    // The build's own executable folder and install location hold no content
    // either (unless the game happens to be installed there).
    if (FwDataRoot::Locate("", tried)) GTEST_SKIP() << "content installed at " << FwDataRoot::Get();
    ASSERT_GE(tried.size(), 2u);
    const std::string text = FwDataRoot::MissingMessage(tried);
    // The working directory's entry is shown as an absolute path.
    EXPECT_NE(text.find((fs::canonical(tmp.path) / "Data").string()), std::string::npos) << text;
    EXPECT_NE(text.find(FwDataRoot::ExecutableDir() + "/Data/"), std::string::npos) << text;
    for (size_t i = 1; i < tried.size(); ++i) EXPECT_NE(text.find(tried[i]), std::string::npos) << tried[i];
    EXPECT_NE(text.find("--data"), std::string::npos);
}

TEST_F(DataRoot, ExecutableFolderIsThisTestsFolder) {
    EXPECT_EQ(fs::path(FwDataRoot::ExecutableDir()), fs::canonical(fs::path(GV_BINARY_DIR) / "tests"));
}

// With the root moved elsewhere, models, sounds and stage files load from
// there, whatever the working directory.
TEST_F(DataRoot, FactoryAndStageFilesReadFromTheRoot) {
    TempDir tmp("gv_dataroot");
    fs::current_path(tmp.path);  // no Data/ here
    FwDataRoot::Set(std::string(GV_SOURCE_DIR) + "/Data");
    FwResourceFactory& factory = FwResourceFactory::GetInstance();
    factory.ClearForTests();
    FwModel* box = factory.GetModel("GameScene/Gimmick/Box/newBox.gltf");
    EXPECT_FALSE(box->MeshNodes().empty());
    StageFileResult stage = LoadStageFile(StageFilePath(1));
    EXPECT_TRUE(stage.Ok()) << stage.error.message;

    FakePlatform platform;
    ASSERT_TRUE(FwAudioManager::GetInstance().Init());
    auto music = factory.GetSound("BGM.wav", 1.0f, false);
    EXPECT_FALSE(music->IsSilent());
    EXPECT_EQ(music->TraceName(), "BGM.wav") << "trace names stay relative to the sound folder";
    factory.ClearForTests();
    FwAudioManager::GetInstance().Release();

    // Back at the default the same names find nothing from here.
    FwDataRoot::Set("");
    EXPECT_TRUE(factory.GetModel("GameScene/Gimmick/Box/newBox.gltf")->MeshNodes().empty());
    EXPECT_FALSE(LoadStageFile(StageFilePath(1)).Ok());
}
