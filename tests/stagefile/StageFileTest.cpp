// Stage coordinate file reader: records, whitespace rules, refused files.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "game/StageFile.h"

namespace {

// Two boxes, one pushing door, no return door, one window, no time door, one
// group of three lasers, the showcase.
const char* const kExample =
    "2\n"
    "10.0,2.5,20.0\n"
    "-10.0,2.5,20.0\n"
    "1\n"
    "0.0,0.0,30.0,0.0,0.0,45.0,90.0\n"
    "0\n"
    "1\n"
    "5.0,10.0,40.0,1.0,1.0,1.0,0.0\n"
    "0\n"
    "1\n"
    "-15.0,0.0,50.0,3,-20.0,3.0,60.0,0.0,4.0,0.0,90.0\n"
    "0.0,0.0,80.0\n";

StageLayout ParseOk(const std::string& text) {
    StageFileResult result = ParseStageFile(text, "Stage_test.txt");
    EXPECT_TRUE(result.Ok()) << result.error.ToString();
    return result.Ok() ? *result.layout : StageLayout{};
}

StageFileError ParseError(const std::string& text) {
    StageFileResult result = ParseStageFile(text, "Stage_test.txt");
    EXPECT_FALSE(result.Ok());
    return result.error;
}

void ExpectSameLayout(const StageLayout& a, const StageLayout& b) {
    ASSERT_EQ(a.boxes.size(), b.boxes.size());
    for (size_t i = 0; i < a.boxes.size(); ++i) {
        EXPECT_EQ(a.boxes[i].position, b.boxes[i].position);
        EXPECT_EQ(a.boxes[i].index, b.boxes[i].index);
    }
    ASSERT_EQ(a.pushingDoors.size(), b.pushingDoors.size());
    ASSERT_EQ(a.returnDoors.size(), b.returnDoors.size());
    ASSERT_EQ(a.windows.size(), b.windows.size());
    ASSERT_EQ(a.timeDoors.size(), b.timeDoors.size());
    ASSERT_EQ(a.returnLasers.size(), b.returnLasers.size());
    for (size_t i = 0; i < a.returnLasers.size(); ++i) {
        EXPECT_EQ(a.returnLasers[i].laserCount, b.returnLasers[i].laserCount);
        EXPECT_EQ(a.returnLasers[i].yawDeg, b.returnLasers[i].yawDeg);
    }
    EXPECT_EQ(a.showcase.position, b.showcase.position);
}

// Replaces the first occurrence of `from` in the example.
std::string ExampleWith(const std::string& from, const std::string& to) {
    std::string text = kExample;
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// A full file with only the given time-door section (count and records).
std::string FileWithTimeDoors(const std::string& section) { return "0\n0\n0\n0\n" + section + "0\n1,2,3\n"; }

}  // namespace

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

TEST(StageFileTest, WorkedExampleGivesEveryRecordValue) {
    StageLayout layout = ParseOk(kExample);

    ASSERT_EQ(layout.boxes.size(), 2u);
    EXPECT_EQ(layout.boxes[0].position, (Vector3{10.0f, 2.5f, 20.0f}));
    EXPECT_EQ(layout.boxes[0].index, 0);
    EXPECT_EQ(layout.boxes[1].position, (Vector3{-10.0f, 2.5f, 20.0f}));
    EXPECT_EQ(layout.boxes[1].index, 1);

    ASSERT_EQ(layout.pushingDoors.size(), 1u);
    EXPECT_EQ(layout.pushingDoors[0].buttonPosition, (Vector3{0, 0, 30}));
    EXPECT_EQ(layout.pushingDoors[0].doorPosition, (Vector3{0, 0, 45}));
    EXPECT_EQ(layout.pushingDoors[0].doorYawDeg, 90.0f);

    EXPECT_TRUE(layout.returnDoors.empty());

    ASSERT_EQ(layout.windows.size(), 1u);
    EXPECT_EQ(layout.windows[0].position, (Vector3{5, 10, 40}));
    EXPECT_EQ(layout.windows[0].scale, (Vector3{1, 1, 1}));
    EXPECT_EQ(layout.windows[0].yawDeg, 0.0f);

    EXPECT_TRUE(layout.timeDoors.empty());

    ASSERT_EQ(layout.returnLasers.size(), 1u);
    const StageLaserGroupRecord& lasers = layout.returnLasers[0];
    EXPECT_EQ(lasers.buttonPosition, (Vector3{-15, 0, 50}));
    EXPECT_EQ(lasers.laserCount, 3);
    EXPECT_EQ(lasers.firstLaser, (Vector3{-20, 3, 60}));
    EXPECT_EQ(lasers.step, (Vector3{0, 4, 0}));  // the lasers stand 4 apart in y
    EXPECT_EQ(lasers.yawDeg, 90.0f);

    EXPECT_EQ(layout.showcase.position, (Vector3{0, 0, 80}));
}

TEST(StageFileTest, ReturnDoorAndTimeDoorRecordsKeepTheirFields) {
    StageLayout layout = ParseOk(
        "0\n0\n"
        "2\n1,2,3,4,5,6,7\n-1,-2,-3,-4,-5,-6,-7\n"
        "0\n"
        "1\n20.0,0.0,30.0,20.0,0.0,45.0,0.0,600\n"
        "0\n"
        "0,0,0\n");
    ASSERT_EQ(layout.returnDoors.size(), 2u);
    EXPECT_EQ(layout.returnDoors[1].buttonPosition, (Vector3{-1, -2, -3}));
    EXPECT_EQ(layout.returnDoors[1].doorPosition, (Vector3{-4, -5, -6}));
    EXPECT_EQ(layout.returnDoors[1].doorYawDeg, -7.0f);
    ASSERT_EQ(layout.timeDoors.size(), 1u);
    EXPECT_EQ(layout.timeDoors[0].buttonPosition, (Vector3{20, 0, 30}));
    EXPECT_EQ(layout.timeDoors[0].doorPosition, (Vector3{20, 0, 45}));
    EXPECT_EQ(layout.timeDoors[0].doorYawDeg, 0.0f);
    EXPECT_EQ(layout.timeDoors[0].openFrames, 600);
}

TEST(StageFileTest, NumberNotationsOfFormattedInputAreRead) {
    StageLayout layout = ParseOk("1\n+1e2,.25,-2.5E-1\n0\n0\n0\n0\n0\n7.,-0,1E+1\n");
    EXPECT_EQ(layout.boxes[0].position, (Vector3{100.0f, 0.25f, -0.25f}));
    EXPECT_EQ(layout.showcase.position, (Vector3{7.0f, 0.0f, 10.0f}));
}

TEST(StageFileTest, LaserCountOfZeroOrLessIsKept) {
    StageLayout layout = ParseOk("0\n0\n0\n0\n0\n2\n1,2,3,0,4,5,6,7,8,9,10\n1,2,3,-4,4,5,6,7,8,9,10\n0,0,0\n");
    ASSERT_EQ(layout.returnLasers.size(), 2u);
    EXPECT_EQ(layout.returnLasers[0].laserCount, 0);
    EXPECT_EQ(layout.returnLasers[1].laserCount, -4);
    EXPECT_EQ(layout.returnLasers[1].yawDeg, 10.0f);
}

TEST(StageFileTest, NumbersDoNotDependOnTheProcessLocale) {
    // A locale with a decimal comma must not change how "2.5" reads.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    StageFileResult result = ParseStageFile(kExample, "Stage_test.txt");
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_TRUE(result.Ok()) << result.error.ToString();
    EXPECT_EQ(result.layout->boxes[0].position.y, 2.5f);
}

// ---------------------------------------------------------------------------
// Whitespace rules
// ---------------------------------------------------------------------------

TEST(StageFileTest, BlankLinesAndMissingBlankLinesParseIdentically) {
    const StageLayout reference = ParseOk(kExample);
    const std::string variants[] = {
        // Blank lines between every section.
        "2\n10.0,2.5,20.0\n-10.0,2.5,20.0\n\n1\n0.0,0.0,30.0,0.0,0.0,45.0,90.0\n\n0\n\n1\n"
        "5.0,10.0,40.0,1.0,1.0,1.0,0.0\n\n0\n\n1\n-15.0,0.0,50.0,3,-20.0,3.0,60.0,0.0,4.0,0.0,90.0\n\n"
        "0.0,0.0,80.0\n",
        // Several blank lines, leading blank lines, spaces and tabs before numbers.
        "\n\n2\n\n\n10.0, 2.5,\t20.0\n  -10.0,2.5,20.0\n\n\n1\n0.0,0.0,30.0,0.0,0.0,45.0,90.0\n0\n1\n"
        "5.0,10.0,40.0,1.0,1.0,1.0,0.0\n0\n1\n-15.0,0.0,50.0,3,-20.0,3.0,60.0,0.0,4.0,0.0,90.0\n"
        "\t0.0,0.0,80.0",
        // Windows line endings, no newline at the end.
        "2\r\n10.0,2.5,20.0\r\n-10.0,2.5,20.0\r\n1\r\n0.0,0.0,30.0,0.0,0.0,45.0,90.0\r\n0\r\n1\r\n"
        "5.0,10.0,40.0,1.0,1.0,1.0,0.0\r\n0\r\n1\r\n-15.0,0.0,50.0,3,-20.0,3.0,60.0,0.0,4.0,0.0,90.0\r\n"
        "0.0,0.0,80.0",
        // Records separated by spaces instead of line breaks; a number after
        // a comma on the next line.
        "2 10.0,2.5,20.0 -10.0,2.5,20.0 1 0.0,0.0,30.0,0.0,0.0,45.0,90.0 0 1 5.0,10.0,40.0,1.0,1.0,1.0,0.0 "
        "0 1 -15.0,0.0,50.0,3,\n-20.0,3.0,60.0,0.0,4.0,0.0,90.0 0.0,0.0,80.0\n",
    };
    for (const std::string& text : variants) {
        SCOPED_TRACE(text);
        ExpectSameLayout(ParseOk(text), reference);
    }
}

TEST(StageFileTest, AnythingAfterTheShowcaseIsIgnored) {
    StageLayout layout = ParseOk(std::string(kExample) + "\nnotes: not read\n5\n");
    EXPECT_EQ(layout.showcase.position, (Vector3{0, 0, 80}));
}

// ---------------------------------------------------------------------------
// Refused files
// ---------------------------------------------------------------------------

TEST(StageFileTest, NegativeCountIsRefusedWithSectionAndLine) {
    StageFileError error = ParseError(ExampleWith("0\n1\n5.0", "-1\n1\n5.0"));
    EXPECT_EQ(error.file, "Stage_test.txt");
    EXPECT_EQ(error.section, "return doors");
    EXPECT_EQ(error.line, 6);
    EXPECT_NE(error.message.find("negative"), std::string::npos) << error.message;
    EXPECT_EQ(error.ToString().rfind("Stage_test.txt: line 6, section \"return doors\": ", 0), 0u) << error.ToString();
}

TEST(StageFileTest, AbsurdCountsAreRefused) {
    StageFileError limit = ParseError("1001\n");
    EXPECT_EQ(limit.section, "boxes");
    EXPECT_EQ(limit.line, 1);
    StageFileError overflow = ParseError("0\n99999999999\n");
    EXPECT_EQ(overflow.section, "pushing doors");
    EXPECT_EQ(overflow.line, 2);
    StageFileError lasers = ParseError("0\n0\n0\n0\n0\n1\n1,2,3,5000,4,5,6,7,8,9,10\n0,0,0\n");
    EXPECT_EQ(lasers.section, "return lasers");
    EXPECT_EQ(lasers.line, 7);
    // The limit itself is allowed.
    std::string atLimit = "1000\n";
    for (int i = 0; i < 1000; ++i) atLimit += "1,2,3\n";
    atLimit += "0\n0\n0\n0\n0\n0,0,0\n";
    EXPECT_EQ(ParseOk(atLimit).boxes.size(), 1000u);
}

TEST(StageFileTest, TruncatedFilesAreRefusedAtTheirLastLine) {
    // Ends inside a record.
    StageFileError inRecord = ParseError("2\n10.0,2.5,20.0\n-10.0,2.5\n");
    EXPECT_EQ(inRecord.section, "boxes");
    EXPECT_EQ(inRecord.line, 3);
    // Fewer records than the count says.
    StageFileError fewer = ParseError("3\n10.0,2.5,20.0\n-10.0,2.5,20.0\n\n\n");
    EXPECT_EQ(fewer.section, "boxes");
    EXPECT_EQ(fewer.line, 3);
    // A missing count line.
    StageFileError noCount = ParseError("0\n0\n0\n");
    EXPECT_EQ(noCount.section, "windows");
    // No showcase.
    StageFileError noShowcase = ParseError("0\n0\n0\n0\n0\n0\n");
    EXPECT_EQ(noShowcase.section, "showcase");
    EXPECT_EQ(noShowcase.line, 6);
    // An empty file.
    StageFileError empty = ParseError("");
    EXPECT_EQ(empty.section, "boxes");
    EXPECT_EQ(empty.line, 1);
}

TEST(StageFileTest, LettersAndMalformedNumbersAreRefused) {
    struct Case {
        std::string text;
        const char* section;
        int line;
    };
    const Case cases[] = {
        {ExampleWith("-10.0,2.5,20.0", "-10.0,abc,20.0"), "boxes", 3},
        {ExampleWith("5.0,10.0,40.0", "5.0,10.0 ,40.0"), "windows", 8},       // space before a comma
        {ExampleWith("5.0,10.0,40.0", "5.0;10.0,40.0"), "windows", 8},
        {ExampleWith("3,-20.0", "3.5,-20.0"), "return lasers", 11},           // fraction in a whole number
        {ExampleWith("2\n", "two\n"), "boxes", 1},
        {ExampleWith("1\n0.0,0.0,30.0", "1x\n0.0,0.0,30.0"), "pushing doors", 4},
        {ExampleWith("0.0,0.0,80.0", "0.0,0.0,80.0garbage"), "showcase", 12},
        {ExampleWith("0.0,0.0,80.0", "0.0,nan,80.0"), "showcase", 12},
        {ExampleWith("0.0,0.0,80.0", "0.0,inf,80.0"), "showcase", 12},
        {ExampleWith("0.0,0.0,80.0", "0.0,1e39,80.0"), "showcase", 12},     // beyond float range
        {ExampleWith("0.0,0.0,80.0", "0.0,0x10,80.0"), "showcase", 12},
        {ExampleWith("10.0,2.5,20.0", "10.0,2.5,20.0,4.0"), "boxes", 2},     // a field too many
        {FileWithTimeDoors("1\n20,0,30,20,0,45,0,6e2\n"), "time doors", 6},
        {FileWithTimeDoors("1\n20,0,30,20,0,45,0\n"), "time doors", 6},     // a field too few
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        StageFileError error = ParseError(c.text);
        EXPECT_EQ(error.section, c.section) << error.ToString();
        EXPECT_EQ(error.line, c.line) << error.ToString();
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(StageFileTest, EveryTruncationOrDamagedByteIsRefusedOrReadWhole) {
    // Cut the example after every byte, and overwrite every byte with a
    // few troublemakers: the reader must refuse with a line inside the file
    // or, when the damage leaves a valid file, return a whole layout.
    const std::string example = kExample;
    const size_t showcaseStart = example.rfind("0.0,0.0,80.0");
    auto check = [](const std::string& text) {
        StageFileResult result = ParseStageFile(text, "Stage_test.txt");
        if (result.Ok()) return;
        EXPECT_GE(result.error.line, 1) << text;
        EXPECT_LE(result.error.line, 12) << text;
        EXPECT_FALSE(result.error.section.empty()) << text;
    };
    for (size_t cut = 0; cut < example.size(); ++cut) {
        std::string prefix = example.substr(0, cut);
        // Before the showcase's last number has begun, a cut file is refused.
        if (cut < showcaseStart + 9) {
            EXPECT_FALSE(ParseStageFile(prefix, "Stage_test.txt").Ok()) << prefix;
        }
        check(prefix);
    }
    for (size_t at = 0; at < example.size(); ++at) {
        for (char bad : {',', ';', 'x', '\0', '-', '.', ' ', '\n'}) {
            std::string damaged = example;
            damaged[at] = bad;
            check(damaged);
        }
    }
}

TEST(StageFileTest, ErrorNamesTheOffendingText) {
    StageFileError error = ParseError(ExampleWith("-10.0,2.5,20.0", "-10.0,abc,20.0"));
    EXPECT_NE(error.message.find("'abc'"), std::string::npos) << error.message;
    StageFileError control = ParseError("\x01\n");
    EXPECT_NE(control.message.find("\\x01"), std::string::npos) << control.message;
}

// ---------------------------------------------------------------------------
// Files on disk
// ---------------------------------------------------------------------------

class StageFileOnDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("gv_stagefile_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text) {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::filesystem::path dir_;
};

TEST_F(StageFileOnDiskTest, LoadsAFileAndNamesItInErrors) {
    StageFileResult ok = LoadStageFile(Write("Stage_1.txt", kExample));
    ASSERT_TRUE(ok.Ok()) << ok.error.ToString();
    EXPECT_EQ(ok.layout->boxes.size(), 2u);

    std::string badPath = Write("Stage_2.txt", "2\n1,2,3\n");
    StageFileResult bad = LoadStageFile(badPath);
    ASSERT_FALSE(bad.Ok());
    EXPECT_EQ(bad.error.file, badPath);
    EXPECT_EQ(bad.error.section, "boxes");
    EXPECT_EQ(bad.error.line, 2);
    EXPECT_NE(bad.error.ToString().find(badPath), std::string::npos);
}

TEST_F(StageFileOnDiskTest, MissingFileOrDirectoryIsRefused) {
    std::string missing = (dir_ / "Stage_9.txt").string();
    StageFileResult result = LoadStageFile(missing);
    ASSERT_FALSE(result.Ok());
    EXPECT_EQ(result.error.file, missing);
    EXPECT_NE(result.error.ToString().find(missing), std::string::npos);
    EXPECT_NE(result.error.ToString().find("cannot open"), std::string::npos) << result.error.ToString();

    StageFileResult directory = LoadStageFile(dir_.string());
    EXPECT_FALSE(directory.Ok());
    EXPECT_FALSE(directory.error.message.empty());
}

TEST(StageFilePathTest, PathCarriesTheStageNumber) {
    EXPECT_EQ(StageFilePath(1), "Data/CoordinateFile/Stage_1.txt");
    EXPECT_EQ(StageFilePath(2), "Data/CoordinateFile/Stage_2.txt");
}
