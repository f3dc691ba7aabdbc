// Shared by the model writers: folders, materials and primitive bookkeeping.
#pragma once

#include <set>
#include <string>

#include "tools/content/Content.h"
#include "tools/content/ImageCanvas.h"

// Creates a directory and its parents; false (with a message) on failure.
bool MakeDirs(const std::string& path);

// One folder of models and the textures beside them, under Data/Model/.
class ModelFolder {
public:
    ModelFolder(const ContentContext& ctx, const std::string& relativeDir);
    // Saves a texture next to the models (once per name); returns the name.
    const std::string& AddTexture(const std::string& name, const Canvas& image);
    void WriteModel(const std::string& file, const CModel& model);
    bool Ok() const { return ok_; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
    std::set<std::string> written_;
    bool ok_ = true;
};

// Material shortcut: colour (0xRRGGBB), metallic, roughness, optional texture.
CMaterial Mat(const std::string& name, uint32_t rgb, float metallic, float roughness,
              const std::string& texture = "");
// The same material glowing: emissive colour (0xRRGGBB) times strength.
CMaterial Glow(CMaterial m, uint32_t rgb, float strength, const std::string& texture = "");

// The shared metals: brushed steel and brass/gold (the texture gives the hue);
// both glow a little so they read in the shade of the one scene light.
CMaterial SteelMat(const std::string& name, const std::string& texture);
CMaterial BrassMat(const std::string& name, const std::string& texture);

// The primitive of node `n` that uses `material` (appended when missing).
CPrimitive& PrimFor(CNode& n, int material);
// A node with the given name and no geometry yet.
CNode Node(const std::string& name);

// The writers of each part of Data/, called by WriteModelsAndImages.
bool WriteGimmickModels(const ContentContext& ctx);
bool WriteHookGunAndPlayerModels(const ContentContext& ctx);
bool WriteTreasureModels(const ContentContext& ctx);
bool WriteRoomModels(const ContentContext& ctx);
bool WriteSpriteImages(const ContentContext& ctx, const ContentFonts& fonts);

// Renders one glTF file the way the game lights it, from a view chosen by
// its name under Data/Model (rooms from the title camera); false when the
// file cannot be read.
bool RenderModelPicture(const std::string& gltfPath, const std::string& relName, int w, int h, Canvas& out);

// A model file (relative to the model folder) placed like the game places
// objects: turned by the game's yaw, then moved to the position.
struct PlacedModel {
    std::string file;
    CVec3 position;
    float yawDeg;
};
// Renders several models together from a camera (eye, target, vertical field
// of view) with the game's lighting; false when a file cannot be read.
bool RenderArrangement(const std::string& modelDir, const std::vector<PlacedModel>& items, const CVec3& eye,
                       const CVec3& target, float fovDeg, float ambient, int w, int h, Canvas& out);
