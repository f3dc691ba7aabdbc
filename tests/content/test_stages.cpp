// The stages as committed: their coordinate files hold the object counts
// their design notes promise (read by a small parse of its own, independent
// of the tool and of the game's reader), Data/ holds verbatim copies of the
// hand-written sources, the stage meshes find their textures, and the stage
// descriptions parse, agree with the coordinate files and refuse broken text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tools/content/StageDescription.h"

namespace {

const std::string kRoot = GV_SOURCE_DIR;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Section names as the design notes' count tables spell them, in file order,
// with the number of comma-separated fields of one record.
struct Section {
    const char* name;
    int fields;
};
const Section kSections[] = {{"Boxes", 3},   {"Pushing doors", 7}, {"Return doors", 7}, {"Windows", 7},
                             {"Time doors", 8}, {"Laser groups", 11}, {"Showcase", 3}};

// The records of each section: each count is one word, each record one word
// of `fields` numbers joined by commas (the stage files keep a record on one
// line without blanks); the showcase is a single record. Words after it are
// not read. An empty map means the file did not have this shape.
std::map<std::string, std::vector<std::string>> ReadSections(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    std::map<std::string, std::vector<std::string>> sections;
    size_t at = 0;
    auto isRecord = [](const std::string& w, int fields) {
        int commas = 0;
        for (char c : w) commas += c == ',';
        return commas == fields - 1 && w.front() != ',' && w.back() != ',';
    };
    for (const Section& s : kSections) {
        int count = 1;
        if (std::string(s.name) != "Showcase") {
            if (at >= words.size()) return {};
            char* end = nullptr;
            count = int(std::strtol(words[at].c_str(), &end, 10));
            if (*end != '\0' || count < 0) return {};
            ++at;
        }
        std::vector<std::string>& records = sections[s.name];
        for (int i = 0; i < count; ++i, ++at) {
            if (at >= words.size() || !isRecord(words[at], s.fields)) return {};
            records.push_back(words[at]);
        }
    }
    return sections;
}

std::map<std::string, int> CountSections(const std::string& text) {
    std::map<std::string, int> counts;
    for (const auto& [name, records] : ReadSections(text)) counts[name] = int(records.size());
    return counts;
}

std::vector<float> Fields(const std::string& record) {
    std::vector<float> v;
    std::stringstream ss(record);
    for (std::string f; std::getline(ss, f, ',');) v.push_back(std::strtof(f.c_str(), nullptr));
    return v;
}

// The "| Section | Count |" rows of a design note.
std::map<std::string, int> CountsInNote(const std::string& text) {
    std::map<std::string, int> counts;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        for (const Section& s : kSections) {
            std::string head = std::string("| ") + s.name + " |";
            if (line.rfind(head, 0) == 0) counts[s.name] = std::atoi(line.c_str() + head.size());
        }
    }
    return counts;
}

std::string StageFile(int n) { return "Stage_" + std::to_string(n) + ".txt"; }

// Every committed stage: 1, 2, ... while tools/content/stages/ holds its
// description (as the content tool and the game number them).
std::vector<int> CommittedStages() {
    std::vector<int> stages;
    for (int n = 1; std::filesystem::exists(kRoot + "/tools/content/stages/stage" + std::to_string(n) + ".txt"); ++n)
        stages.push_back(n);
    EXPECT_GE(stages.size(), 3u);
    return stages;
}

}  // namespace

TEST(StageCoordinateFiles, HoldTheCountsTheirDesignNotesState) {
    for (int n : CommittedStages()) {
        SCOPED_TRACE("stage " + std::to_string(n));
        std::map<std::string, int> file = CountSections(ReadFile(kRoot + "/Data/CoordinateFile/" + StageFile(n)));
        std::map<std::string, int> note = CountsInNote(ReadFile(kRoot + "/docs/stage" + std::to_string(n) + ".md"));
        ASSERT_EQ(file.size(), 7u) << "the coordinate file does not have the seven sections";
        ASSERT_EQ(note.size(), 7u) << "the design note lacks its count table";
        EXPECT_EQ(file, note);
        EXPECT_GE(file["Boxes"], 1) << "the operation guide of stage 1 reads box 0; the later stages need boxes too";
    }
}

TEST(StageCoordinateFiles, StageTwoHoldsEveryGimmick) {
    std::map<std::string, int> c = CountSections(ReadFile(kRoot + "/Data/CoordinateFile/" + StageFile(2)));
    for (const char* kind : {"Pushing doors", "Return doors", "Windows", "Time doors", "Laser groups"}) {
        EXPECT_GE(c[kind], 1) << kind;
    }
    EXPECT_GE(c["Boxes"], 3);
}

TEST(StageCoordinateFiles, DataHoldsVerbatimCopiesOfTheSources) {
    for (int n : CommittedStages()) {
        std::string source = ReadFile(kRoot + "/tools/content/stages/" + StageFile(n));
        ASSERT_FALSE(source.empty()) << StageFile(n);
        EXPECT_EQ(source, ReadFile(kRoot + "/Data/CoordinateFile/" + StageFile(n))) << StageFile(n);
    }
}

TEST(StageCoordinateFiles, CountParseRefusesMisshapenFiles) {
    EXPECT_EQ(CountSections("1\n1,2,3\n0\n0\n0\n0\n0\n4,5,6\n").size(), 7u);
    EXPECT_TRUE(CountSections("1\n1,2\n0\n0\n0\n0\n0\n4,5,6\n").empty());       // short box record
    EXPECT_TRUE(CountSections("2\n1,2,3\n0\n0\n0\n0\n0\n4,5,6\n").empty());     // too few boxes
    EXPECT_TRUE(CountSections("1\n1,2,3\n0\n0\n0\n0\n0\n").empty());            // no showcase
    EXPECT_TRUE(CountSections("-1\n0\n0\n0\n0\n0\n4,5,6\n").empty());           // negative count
}

TEST(StageMeshes, ExistWithTheirTexturesBesideThem) {
    for (int n : CommittedStages()) {
        std::string dir = kRoot + "/Data/Model/GameScene/Stage/";
        std::string path = dir + "Stage_" + std::to_string(n) + ".gltf";
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        nlohmann::json j = nlohmann::json::parse(ReadFile(path));
        ASSERT_EQ(j["nodes"].size(), 1u);
        ASSERT_EQ(j["meshes"].size(), 1u);
        EXPECT_GE(j["meshes"][0]["primitives"].size(), 5u) << "floor, wall, ceiling, trim and more";
        for (const auto& image : j["images"]) {
            EXPECT_TRUE(std::filesystem::exists(dir + image["uri"].get<std::string>())) << image["uri"];
        }
    }
}

TEST(StageDescription, CommittedDescriptionsParseAndAgreeWithTheCoordinateFiles) {
    for (int n : CommittedStages()) {
        SCOPED_TRACE("stage " + std::to_string(n));
        stagedesc::Description d;
        std::string error;
        ASSERT_TRUE(stagedesc::ParseDescription(
            ReadFile(kRoot + "/tools/content/stages/stage" + std::to_string(n) + ".txt"), d, error))
            << error;
        EXPECT_EQ(d.stage, n);
        bool startOnFloor = false;
        for (const auto& f : d.floors) startOnFloor = startOnFloor || f.rect.Contains(0, 0);
        EXPECT_TRUE(startOnFloor) << "the player starts at the origin";

        // every door of the coordinate file stands in a door opening: at the
        // opening's centre along the wall, on the wall's middle plane
        auto sections = ReadSections(ReadFile(kRoot + "/Data/CoordinateFile/" + StageFile(n)));
        ASSERT_FALSE(sections.empty());
        int doorOpenings = 0;
        for (const auto& o : d.openings) doorOpenings += o.kind == stagedesc::OpeningKind::Door;
        int doors = 0;
        for (const char* kind : {"Pushing doors", "Return doors", "Time doors"}) {
            for (const std::string& record : sections[kind]) {
                std::vector<float> v = Fields(record);
                ++doors;
                bool placed = false;
                for (const auto& o : d.openings) {
                    if (o.kind != stagedesc::OpeningKind::Door) continue;
                    const stagedesc::Rect& r = d.FindWall(o.wall)->rect;
                    bool alongX = stagedesc::RunsAlongX(r);
                    float along = alongX ? v[3] : v[5], across = alongX ? v[5] : v[3];
                    float mid = alongX ? (r.z0 + r.z1) / 2 : (r.x0 + r.x1) / 2;
                    placed = placed || (std::fabs(along - o.centre) < 0.01f && std::fabs(across - mid) < 0.01f);
                }
                EXPECT_TRUE(placed) << kind << " record " << record;
            }
        }
        EXPECT_EQ(doors, doorOpenings);
    }
}

TEST(StageDescription, OpeningsCutThroughTheWallAlongItsLongAxis) {
    stagedesc::Opening door;
    door.centre = 5;
    door.width = 8;
    door.bottom = 0;
    door.top = 7.5f;
    stagedesc::Box3 alongX = stagedesc::OpeningBox(door, {-20, 10, 20, 10.8f});
    EXPECT_FLOAT_EQ(alongX.min[0], 1);
    EXPECT_FLOAT_EQ(alongX.max[0], 9);
    EXPECT_FLOAT_EQ(alongX.min[2], 10);
    EXPECT_FLOAT_EQ(alongX.max[2], 10.8f);
    stagedesc::Box3 alongZ = stagedesc::OpeningBox(door, {-3, -20, -2.2f, 40});
    EXPECT_FLOAT_EQ(alongZ.min[0], -3);
    EXPECT_FLOAT_EQ(alongZ.max[0], -2.2f);
    EXPECT_FLOAT_EQ(alongZ.min[2], 1);
    EXPECT_FLOAT_EQ(alongZ.max[2], 9);
    EXPECT_FLOAT_EQ(alongZ.max[1], 7.5f);
}

TEST(StageDescription, RefusesBrokenTextNamingTheLine) {
    const std::string head = "stage 3 Test\nfloor f -10 -10 10 10\nwall w -12 10 12 10.8\n";
    struct Case {
        std::string text, expected;
    } cases[] = {
        {head + "tower t 1 2 3 4\n", "line 4: unknown statement 'tower'"},
        {head + "floor g 1 2 3\n", "line 4: 'floor' takes 5 values"},
        {head + "floor g 1 2 x 4\n", "line 4: 'x' is not a number"},
        {head + "floor g 5 2 1 4\n", "line 4: 'g' needs x0 < x1"},
        {head + "pit p 0 0 1 1 -3\n", "line 4: pit 'p' needs a positive depth"},
        {head + "door d nowall 0\n", "line 4: opening 'd' names no wall 'nowall'"},
        {head + "door d w 10\n", "line 4: opening 'd' does not fit in wall 'w'"},
        {head + "window v w 0 8 1 30\n", "line 4: opening 'v' does not fit in wall 'w'"},
        {head + "floor f 20 20 30 30\n", "the name 'f' is used twice"},
        {head + "arch a w 0 6\n", "line 4: 'arch' takes 5 values, got 4"},
        {head + "arch a w 0 0 7\n", "line 4: opening 'a' has no size"},
        {"floor f -10 -10 10 10\n", "no 'stage' statement"},
        {"stage 1 Empty\nwall w 0 0 1 1\n", "the stage has no floor"},
    };
    for (const Case& c : cases) {
        stagedesc::Description d;
        std::string error;
        EXPECT_FALSE(stagedesc::ParseDescription(c.text, d, error)) << c.text;
        EXPECT_NE(error.find(c.expected), std::string::npos) << "got: " << error << "\nwanted: " << c.expected;
    }
    // comments and blank lines are ignored; a well-formed text parses whole
    stagedesc::Description d;
    std::string error;
    ASSERT_TRUE(stagedesc::ParseDescription("# a test\n\n" + head + "door d w 0   # centred\n", d, error)) << error;
    ASSERT_EQ(d.openings.size(), 1u);
    EXPECT_FLOAT_EQ(d.openings[0].width, stagedesc::kDoorWidth);
    EXPECT_FLOAT_EQ(d.openings[0].top, stagedesc::kDoorHeight);
}
