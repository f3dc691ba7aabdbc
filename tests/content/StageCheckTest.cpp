// The content tool's stage checker, run as `gv_content --check DESCRIPTION
// COORDINATES` on a small test room: the room as written passes (and so do
// the committed stages), and each broken description or coordinate file is
// refused with a message that names the stage and the object at fault.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Two rooms joined by a door, a pit across the second, the showcase beyond:
// a box and a return button in the first room, one laser across the second
// room with its button before the pit.
const std::string kRoom = R"(stage 3 Test Room
ceiling 24
floor  near   -20 -10  20  20
wall   mid    -20  20  20  20.8
door   exit   mid    0
floor  hall   -20  20.8 20  40
pit    gap    -20  40  20  60  40
floor  far    -20  60  20  90
wall   south  -22 -12  22 -10
wall   west   -22 -10 -20  92
wall   east    20 -10  22  92
wall   north  -20  90  20  92
)";

const std::string kBox = "10.0,2.5,10.0";
const std::string kLaser = "0.0,0.0,30.0,1,-19.0,3.0,30.0,0.0,0.0,0.0,90.0";
const std::string kShowcase = "0.0,0.0,80.0";
const std::string kLayout = "1\n" + kBox + "\n0\n1\n-10.0,0.0,10.0,0.0,0.0,20.4,0.0\n0\n0\n1\n" + kLaser + "\n" +
                            kShowcase + "\n";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `text` with its one occurrence of `from` replaced (empty when `from` is
// missing, which no check accepts).
std::string Replace(const std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "the test room has no '" << from << "'";
    if (at == std::string::npos) return "";
    return text.substr(0, at) + to + text.substr(at + from.size());
}

struct CheckRun {
    int exitCode = -1;
    std::string errors;  // what the tool wrote to stderr
};

CheckRun RunCheck(const fs::path& description, const fs::path& coordinates) {
    fs::path tool = fs::path(GV_BINARY_DIR) / "tools/content/gv_content";
    CheckRun run;
    if (!fs::exists(tool)) {
        ADD_FAILURE() << "build the gv_content target first: " << tool;
        return run;
    }
    TempDir out("gv_check_out");
    fs::path err = out.path / "stderr.txt";
    std::string cmd = "\"" + tool.string() + "\" --check \"" + description.string() + "\" \"" +
                      coordinates.string() + "\" > /dev/null 2> \"" + err.string() + "\"";
    int status = std::system(cmd.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = ReadFile(err);
    return run;
}

CheckRun Check(const std::string& description, const std::string& coordinates) {
    TempDir tmp("gv_check");
    fs::path d = tmp.path / "stage.txt", c = tmp.path / "Stage.txt";
    std::ofstream(d, std::ios::binary) << description;
    std::ofstream(c, std::ios::binary) << coordinates;
    return RunCheck(d, c);
}

// Whether one line of `errors` is "gv_content: stage 3: " and the fault,
// with the description's "line N: " between them when the fault has a line.
bool NamesFault(const std::string& errors, const std::string& fault) {
    std::istringstream lines(errors);
    const std::string head = "gv_content: stage 3: ";
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(head, 0) != 0) continue;
        std::string rest = line.substr(head.size());
        if (rest.rfind("line ", 0) == 0 && rest.find(": ") != std::string::npos) rest = rest.substr(rest.find(": ") + 2);
        if (rest.rfind(fault, 0) == 0) return true;
    }
    return false;
}

// The check fails and names the fault with the stage number in front.
void ExpectRefused(const std::string& description, const std::string& coordinates, const std::string& fault) {
    CheckRun run = Check(description, coordinates);
    EXPECT_EQ(run.exitCode, 1) << fault;
    EXPECT_TRUE(NamesFault(run.errors, fault)) << "wanted: " << fault << "\ngot:\n" << run.errors;
}

}  // namespace

TEST(StageCheck, PassesTheTestRoomAndTheCommittedStages) {
    CheckRun room = Check(kRoom, kLayout);
    EXPECT_EQ(room.exitCode, 0) << room.errors;
    EXPECT_EQ(room.errors, "");
    const std::string dir = std::string(GV_SOURCE_DIR) + "/tools/content/stages/";
    int committed = 0;
    for (int n = 1; fs::exists(dir + "stage" + std::to_string(n) + ".txt"); ++n, ++committed) {
        std::string number = std::to_string(n);
        CheckRun stage = RunCheck(dir + "stage" + number + ".txt", dir + "Stage_" + number + ".txt");
        EXPECT_EQ(stage.exitCode, 0) << "stage " << n << ":\n" << stage.errors;
    }
    EXPECT_GE(committed, 3);
    // a description that does not parse names its file and line
    CheckRun broken = Check(Replace(kRoom, "ceiling 24", "ceiling -4"), kLayout);
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.errors.find("stage.txt: line 2: the ceiling must be above the floor"), std::string::npos)
        << broken.errors;
}

// Broken descriptions are refused with the line at fault and the reason:
// what does not parse stops at its line; what parses but breaks a rule
// names the statement's line (and the other statement's, for a pair).
TEST(StageCheck, RefusesBrokenDescriptionsNamingTheLine) {
    struct Case {
        std::string description, message;
    } cases[] = {
        {kRoom + "tower t 1 2 3 4\n", "stage.txt: line 13: unknown statement 'tower'"},
        {Replace(kRoom, "floor  far    -20  60  20  90", "floor  far    -20  60  20  9000"),
         "stage.txt: line 8: 9000 is out of range (-1000 to 1000)"},
        {Replace(kRoom, "ceiling 24", "ceiling 200"), "stage.txt: line 2: the ceiling 200 is out of range (8 to 100)"},
        {kRoom + "post mid 0 70 2 72\n", "stage.txt: line 13: the name 'mid' is used twice (first on line 4)"},
        {kRoom + "floor extra 10 0 30 10\n",
         "gv_content: stage 3: line 13: floors and pits must not overlap: 'extra' overlaps 'near' (line 3)"},
        {kRoom + "platform block 0 30 4 34 30\n",
         "stage.txt: line 13: platform 'block' must end below the ceiling (24)"},
        // the pit widened to 35: the chain does not cross it, and the jewel
        // is more than the hook's 35 from the near side
        {Replace(Replace(kRoom, "pit    gap    -20  40  20  60  40", "pit    gap    -20  40  20  75  40"),
                 "floor  far    -20  60  20  90", "floor  far    -20  75  20  90"),
         "gv_content: stage 3: line 8: the showcase on floor 'far' cannot be reached: no floor the player can walk "
         "or chain to lies within 35 of the jewel with nothing in between; pit 'gap' (line 7) is 35 across, the "
         "chain crosses at most 30"},
    };
    for (const Case& c : cases) {
        CheckRun run = Check(c.description, kLayout);
        EXPECT_EQ(run.exitCode, 1) << c.message;
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << "wanted: " << c.message << "\ngot:\n"
                                                                 << run.errors;
    }
    // the walled-up vault door: nothing leads to the showcase's room
    CheckRun walled = Check(Replace(kRoom, "door   exit   mid    0\n", "# no door\n"), kLayout);
    EXPECT_EQ(walled.exitCode, 1);
    EXPECT_NE(walled.errors.find("line 8: the showcase on floor 'far' cannot be reached"), std::string::npos)
        << walled.errors;
}

TEST(StageCheck, RefusesDoorOpeningsThatDoNotFitOrAreBlocked) {
    // too near the end of its wall for the door's frame
    ExpectRefused(Replace(kRoom, "door   exit   mid    0", "door   exit   mid    15.5"), kLayout,
                  "door opening 'exit' needs wall beside it for the panel and the frame");
    // through a wall thicker than the door's frame
    std::string thick = Replace(kRoom, "wall   mid    -20  20  20  20.8", "wall   mid    -20  20  20  22");
    ExpectRefused(Replace(thick, "floor  hall   -20  20.8", "floor  hall   -20  22"), kLayout,
                  "wall 'mid' holds door opening 'exit' and must be 0.8 thick");
    // plain openings the player cannot pass
    ExpectRefused(kRoom + "arch slot mid 12 3 7.5\n", kLayout, "opening 'slot' is 3 wide; the player needs 4");
    ExpectRefused(kRoom + "arch low mid -12 6 2.5\n", kLayout, "opening 'low' is 2.5 high; the player's eye is at 3");
    // a post just behind the door, a pit in front of it, a box in the way
    ExpectRefused(kRoom + "post block -2 21.5 2 23\n", kLayout,
                  "the way through opening 'exit' is blocked at (-2.00, 21.81): no open floor there");
    std::string pitAtDoor = Replace(kRoom, "floor  hall   -20  20.8 20  40", "floor  hall   -20  22.8 20  40");
    ExpectRefused(pitAtDoor + "pit ditch -20 20.8 20 22.8 10\n", kLayout,
                  "the way through opening 'exit' is blocked at (-3.99, 20.81)");
    ExpectRefused(kRoom, Replace(kLayout, kBox, "1.0,2.5,24.0"),
                  "box 0 at (1.00, 2.50, 24.00) stands in the way through opening 'exit'");
    // the coordinate file's door away from every door opening
    ExpectRefused(kRoom, Replace(kLayout, "0.0,0.0,20.4,0.0", "6.0,0.0,20.4,0.0"),
                  "return door 0 at (6.00, 20.40) stands in no door opening");
}

TEST(StageCheck, RefusesObjectsThatDoNotStandOnFloor) {
    ExpectRefused(kRoom, Replace(kLayout, kBox, "10.0,8.0,10.0"),
                  "box 0 at (10.00, 8.00, 10.00) must rest on a floor (centre 2.5 above it)");
    ExpectRefused(kRoom, Replace(kLayout, kBox, "0.0,2.5,50.0"),
                  "box 0 at (0.00, 2.50, 50.00) must rest on a floor");
    ExpectRefused(kRoom, Replace(kLayout, kBox, "0.0,2.5,38.5"),
                  "box 0 at (0.00, 2.50, 38.50) must stand wholly on one floor, clear of walls and pits");
    ExpectRefused(kRoom, Replace(kLayout, kLaser, "0.0,0.0,45.0,1,-19.0,3.0,30.0,0.0,0.0,0.0,90.0"),
                  "laser button 0 at (0.00, 45.00) must stand on a floor");
    ExpectRefused(kRoom, Replace(kLayout, kLaser, "0.0,0.0,38.5,1,-19.0,3.0,30.0,0.0,0.0,0.0,90.0"),
                  "laser button 0 at (0.00, 38.50) must have 2.7 of floor around it");
    ExpectRefused(kRoom, Replace(kLayout, kShowcase, "0.0,0.0,50.0"),
                  "the showcase at (0.00, 50.00) must stand on a floor");
}

TEST(StageCheck, RefusesBeamsWithoutAWallNearTheirButton) {
    // an arch in the east wall: the beam leaves the stage through it
    ExpectRefused(kRoom + "arch hole east 30 6 10\n", kLayout,
                  "laser 0.0 at (-19.00, 3.00, 30.00): its beam meets no wall within 1000");
    // the emitter inside the west wall
    ExpectRefused(kRoom, Replace(kLayout, kLaser, "0.0,0.0,30.0,1,-21.0,3.0,30.0,0.0,0.0,0.0,90.0"),
                  "laser 0.0 at (-21.00, 3.00, 30.00) must stand in the open, inside the stage");
    // a beam beyond the pit, far from its button by the start: the group is
    // off wherever a player could touch the beam
    ExpectRefused(kRoom, Replace(kLayout, kLaser, "-15.0,0.0,0.0,1,-19.0,3.0,85.0,0.0,0.0,0.0,90.0"),
                  "laser 0.0 at (-19.00, 3.00, 85.00): its beam reaches farther than 75 from its button");
}

TEST(StageCheck, RefusesAnOpenStageAndAShowcaseWithinWalkingReach) {
    ExpectRefused(Replace(kRoom, "wall   north  -20  90  20  92\n", ""), kLayout, "the stage is open at");
    ExpectRefused(Replace(kRoom, "pit    gap    -20  40  20  60  40", "floor  gap    -20  40  20  60"), kLayout,
                  "the showcase can be walked to from the start; a pit must lie between them");
}

TEST(StageCheck, StageOneKeepsTheOperationGuidesPlaces) {
    // the same room as stage 1: the guide's pull spot (-29, 76.5) lies outside it
    std::string one = Replace(kRoom, "stage 3 Test Room", "stage 1 Test Room");
    CheckRun run = Check(one, kLayout);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("gv_content: stage 1: the guide's pull spot (-29.00, 76.50) must be floor"),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(run.errors.find("start area"), std::string::npos) << "the start area (0, 7.5) is floor:\n" << run.errors;
}
