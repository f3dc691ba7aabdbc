// Stage coordinate file: the plain-text layout of a stage's movable and
// interactive objects ("Data/CoordinateFile/Stage_<n>.txt").
//
// The file is seven sections in a fixed order; the first six start with a
// record count, the seventh is the single showcase record:
//   1 boxes          count, then records  x,y,z
//   2 pushing doors  count, then records  bx,by,bz,dx,dy,dz,yaw
//   3 return doors   count, then records  bx,by,bz,dx,dy,dz,yaw
//   4 windows        count, then records  x,y,z,sx,sy,sz,yaw
//   5 time doors     count, then records  bx,by,bz,dx,dy,dz,yaw,openFrames
//   6 return lasers  count, then records  bx,by,bz,n,x,y,z,stepX,stepY,stepZ,yaw
//   7 showcase       x,y,z
// Anything after the showcase record is ignored.
//
// Whitespace is lenient, as stored files rely on it: any run of white space
// (spaces, tabs, CR, LF; blank lines included, or none at all) may stand
// between counts, records and sections, and before every number. A comma
// must follow its number immediately ("1 ,2" is refused). Numbers are plain
// decimal ("10", "-2.5", ".25", "1e2"), parsed independently of the locale.
//
// Unlike a bare formatted read, a file is accepted whole or refused: a
// missing or unreadable file, a count below 0 or above kMaxStageRecords, a
// laser count above kMaxLasersPerGroup, a truncated record, a number that is
// missing, malformed, out of range or not finite yields a StageFileError
// naming the file, the section and the line; no layout is produced then.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/math/FwMath.h"

// Largest record count a section may declare. Real stages hold a handful of
// objects; a larger count means a corrupt file.
constexpr int32_t kMaxStageRecords = 1000;
// Largest laser count of one return-laser group (a count of 0 or less is
// allowed and means a group without lasers).
constexpr int32_t kMaxLasersPerGroup = 1000;

// Section 1. The index is the box's 0-based position in the section: the
// hook gun reports the hooked box by it and a box's ground ray skips it.
struct StageBoxRecord {
    Vector3 position;  // centre; 2.5 above the floor when resting on it
    int32_t index = 0;
};

// Sections 2 and 3: a button and the door it drives.
struct StageDoorRecord {
    Vector3 buttonPosition;
    Vector3 doorPosition;  // the door's base point
    float doorYawDeg = 0.0f;
};

// Section 4. World = Scale(scale) x RotationY(yaw) x Translation(position).
struct StageWindowRecord {
    Vector3 position;
    Vector3 scale;
    float yawDeg = 0.0f;
};

// Section 5.
struct StageTimeDoorRecord {
    Vector3 buttonPosition;
    Vector3 doorPosition;
    float doorYawDeg = 0.0f;
    int32_t openFrames = 0;  // frames the button stays on after a press
};

// Section 6. Laser i (0 <= i < laserCount) stands at firstLaser + i x step;
// all lasers share the yaw. A laser count of 0 or less makes no laser.
struct StageLaserGroupRecord {
    Vector3 buttonPosition;
    int32_t laserCount = 0;
    Vector3 firstLaser;
    Vector3 step;
    float yawDeg = 0.0f;
};

// Section 7. The jewel floats 6 above it.
struct StageShowcaseRecord {
    Vector3 position;
};

// Every record of one coordinate file, each list in file order.
struct StageLayout {
    std::vector<StageBoxRecord> boxes;
    std::vector<StageDoorRecord> pushingDoors;
    std::vector<StageDoorRecord> returnDoors;
    std::vector<StageWindowRecord> windows;
    std::vector<StageTimeDoorRecord> timeDoors;
    std::vector<StageLaserGroupRecord> returnLasers;
    StageShowcaseRecord showcase;
};

// Why a file was refused. `section` is empty and `line` 0 when the file
// itself could not be read.
struct StageFileError {
    std::string file;
    std::string section;  // "boxes", "pushing doors", ..., "showcase"
    int line = 0;         // 1-based line where the fault was found
    std::string message;

    // "<file>: line <n>, section <s>: <message>" (file-level errors omit the
    // line and section). For stderr and the error message box.
    std::string ToString() const;
};

// Either a complete layout or the error that refused the file.
struct StageFileResult {
    std::optional<StageLayout> layout;
    StageFileError error;  // meaningful only when layout is empty

    bool Ok() const { return layout.has_value(); }
};

// Game scene construction and tests: parses the text of a coordinate file.
// `fileName` only names the file in errors.
StageFileResult ParseStageFile(std::string_view text, const std::string& fileName);

// Game scene construction: reads and parses the file at `path`.
StageFileResult LoadStageFile(const std::string& path);

// Game scene construction: "Data/CoordinateFile/Stage_<n>.txt".
std::string StageFilePath(int stageNumber);

// ---- the stages the content holds ----
// A stage is its coordinate file ("CoordinateFile/Stage_<n>.txt") together
// with its mesh ("Model/GameScene/Stage/Stage_<n>.gltf"). Stages are numbered
// 1, 2, ... without a gap: stage n is there when its coordinate file is in
// the content folder, and the first number without one ends the list. The
// mesh is not looked for here: a stage whose mesh is missing still counts,
// so that loading it refuses it loudly, naming both files, instead of
// hiding it. Stage 1 always counts: without its files the game reports them
// when it loads the stage, as for any broken stage.
constexpr int kMaxStages = 99;

// Clear scene (is there a next stage?), the program entries (--stage): how
// many stages the content holds, 1 to kMaxStages. Looked up once per content
// folder (FwDataRoot) and kept for the rest of the run.
int StageCount();
// Program entries: whether `stage` is one of the stages found.
bool IsStageAvailable(int stage);
// Program entries, refusing --stage: the stages found, "stage 1" or
// "stages 1 to 3".
std::string AvailableStagesText();

// Stage, game scene: the stage mesh, as a name under Model/ for the
// resource factory and as a path in the content folder.
std::string StageMeshName(int stageNumber);
std::string StageMeshPath(int stageNumber);

// Game scene, when the mesh of a stage is refused: the mesh's own error
// followed by the two files a stage is made of, so a player who copied only
// the coordinate file sees what is missing.
std::string StageMeshRefusal(int stageNumber, const std::string& meshError);

// Game scene: the stage's own music, "GameBGM_<n>.wav" under Sound/, when
// the content holds it; otherwise the music every stage shares,
// "GameBGM.wav".
std::string StageMusicName(int stageNumber);
