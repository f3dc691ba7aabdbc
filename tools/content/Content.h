// The content tool: every file under Data/ is made by code in this folder.
//
// Geometry is authored in GAME coordinates (left-handed, y up, +z forward,
// the player starts at the origin looking along +z). A triangle (a, b, c) is
// front-facing on the side where cross(b - a, c - a) points (outward).
// WriteGltf converts to glTF's right-handed space: positions and normals get
// z negated and each triangle is written as (a, c, b). The game's loader undoes
// exactly that, so what is authored here is what the game sees.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ContentContext {
    std::string dataDir;    // ".../Data"
    std::string docsDir;    // ".../docs"
    std::string sourceDir;  // ".../tools/content" (stage descriptions etc.)
    // Where the stage descriptions and coordinate files are read from
    // (gv_content --stages); empty: sourceDir + "/stages".
    std::string stagesDir;

    std::string StagesDir() const { return stagesDir.empty() ? sourceDir + "/stages" : stagesDir; }
};

// Each writes its part of Data/ (and pictures into docs/). They return false
// and print the reason to stderr on failure.
bool WriteModelsAndImages(const ContentContext& ctx);  // models, textures, contact sheet
bool WriteSounds(const ContentContext& ctx);           // every WAV
bool WriteStages(const ContentContext& ctx);           // stage meshes, coordinate files, maps
// gv_content --check: checks one stage description and coordinate file (the
// models it needs from ctx.dataDir) and writes nothing; prints each broken
// rule to stderr and returns false if any.
bool CheckStageFiles(const ContentContext& ctx, const std::string& descriptionPath,
                     const std::string& coordinatePath);
// gv_content --strip OUT SHOT...: harness screenshots of a playthrough shrunk
// to a third, three to a row, into one picture for the design notes.
bool WritePlaythroughStrip(const std::string& outPath, const std::vector<std::string>& shots);
// The application icon: Data/Icon/GildedVault.png (256 x 256) and .svg.
bool WriteAppIcon(const ContentContext& ctx);
// Renders every model under Data/Model into docs/ContactSheet.png; runs last.
bool WriteContactSheet(const ContentContext& ctx);

// ---- shared mesh authoring (ContentMesh.cpp) ----
struct CMaterial {
    std::string name;
    std::array<float, 4> baseColor{1, 1, 1, 1};
    float metallic = 0.0f;
    float roughness = 0.8f;
    std::array<float, 3> emissive{0, 0, 0};
    std::string baseColorTexture;  // PNG file name next to the .gltf, or empty
    std::string emissiveTexture;   // PNG file name next to the .gltf, or empty
    bool blend = false;            // alphaMode BLEND
};

// One primitive: a material and indexed triangles in game coordinates.
struct CPrimitive {
    int material = 0;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<float, 2>> uvs;
    std::vector<uint32_t> indices;
};

struct CNode {
    std::string name;
    std::vector<CPrimitive> primitives;  // empty: a node without mesh
    std::array<float, 3> translation{0, 0, 0};  // game coordinates
};

struct CModel {
    std::vector<CMaterial> materials;
    std::vector<CNode> nodes;  // all root nodes, in order
};

// Writes a text glTF with one embedded base64 buffer, deterministic bytes.
// Textures are referenced by file name (PNG files beside the .gltf, written
// separately). Refuses (false, message) primitives with indices out of range,
// missing normals/UVs or a material index outside the model's list.
bool WriteGltf(const std::string& path, const CModel& model);

// ---- mesh-authoring helpers (ContentMesh.cpp) ----
// Every Add* appends to a primitive; flat faces get their own vertices, so
// normals are per face (WriteGltf merges vertices that are exactly equal).
// UVs: v = 0 is the top of the image.
using CVec2 = std::array<float, 2>;
using CVec3 = std::array<float, 3>;

// How box faces get UVs: tile <= 0 maps each face onto the whole texture;
// tile > 0 maps world units, one texture repeat per `tile` units (walls and
// floors of different sizes then share one texel density).
struct CUvMode {
    float tile = 0.0f;
};

// An affine transform of game-space points: p' = L p + t (L row-major 3x3).
struct CXform {
    std::array<float, 9> linear{1, 0, 0, 0, 1, 0, 0, 0, 1};
    CVec3 translate{0, 0, 0};
};
CXform XTranslate(const CVec3& t);
CXform XScale(const CVec3& s);
CXform XRotateX(float degrees);  // turns +y toward +z
CXform XRotateY(float degrees);  // turns +z toward +x
CXform XRotateZ(float degrees);  // turns +x toward +y
// first `a`, then `b`
CXform XThen(const CXform& a, const CXform& b);
CVec3 XPoint(const CXform& x, const CVec3& p);
// The rotation that turns +y onto `direction`.
CXform XAlignY(const CVec3& direction);

// Appends src transformed by x to dst (normals by the inverse transpose;
// a mirroring transform keeps faces outward by reversing the winding).
void AppendTransformed(CPrimitive& dst, const CPrimitive& src, const CXform& x);

// One flat triangle, wound as given (front side where cross(b-a, c-a) points).
void AddTriangle(CPrimitive& p, const CVec3& a, const CVec3& b, const CVec3& c,
                 const CVec2& ta, const CVec2& tb, const CVec2& tc);
// A flat quad centred at `centre`, `right` and `up` are half-extent vectors as
// seen from its front; the front normal is -cross(right, up) (left-handed).
// uvMin is the image's top-left for the quad's top-left corner.
void AddQuad(CPrimitive& p, const CVec3& centre, const CVec3& right, const CVec3& up,
             const CVec2& uvMin = {0, 0}, const CVec2& uvMax = {1, 1});
// Axis-aligned box, six outward faces with per-face normals.
void AddBox(CPrimitive& p, const CVec3& min, const CVec3& max, CUvMode uv = {});
// Box by centre and full size.
void AddBoxC(CPrimitive& p, const CVec3& centre, const CVec3& size, CUvMode uv = {});
// Box skipping faces: mask bits 0..5 = -x, +x, -y, +y, -z, +z (set = skip).
void AddBoxFaces(CPrimitive& p, const CVec3& min, const CVec3& max, unsigned skipMask,
                 CUvMode uv = {});
// Truncated cone along +y from y0 (radius r0) to y1 (radius r1) about (cx, cz).
// smooth: shared side normals; caps: close bottom/top.
void AddFrustum(CPrimitive& p, float cx, float cz, float y0, float y1, float r0, float r1,
                int segments, bool smooth = true, bool capBottom = true, bool capTop = true);
void AddCylinder(CPrimitive& p, float cx, float cz, float y0, float y1, float radius,
                 int segments, bool smooth = true, bool caps = true);
// A straight prism: the convex polygon `outline` (x, y, counter-clockwise as
// seen from -z, i.e. from a viewer looking along +z) extruded from z0 to z1.
void AddPrismZ(CPrimitive& p, const std::vector<CVec2>& outline, float z0, float z1);
// UV sphere about `centre`.
void AddSphere(CPrimitive& p, const CVec3& centre, float radius, int slices, int stacks);
// Icosphere; flat: faceted (jewel look), else smooth.
void AddIcosphere(CPrimitive& p, const CVec3& centre, float radius, int subdivisions,
                  bool flat);
// Torus about the y axis at `centre` (ring in the x-z plane).
void AddTorus(CPrimitive& p, const CVec3& centre, float major, float minor, int majorSeg,
              int minorSeg);
// Flat annulus in the x-y plane at z, facing -z (toward a viewer looking along +z).
void AddRingZ(CPrimitive& p, const CVec3& centre, float rInner, float rOuter, int segments);
// Surface of revolution about the vertical line through (cx, cz): the profile
// is a polyline of (radius, y) points walked with the outside on the right
// (radius to the right, y up), e.g. bottom centre -> bottom rim -> up the side
// -> top rim -> top centre. smoothAround: shared normals around the axis.
void AddLathe(CPrimitive& p, const std::vector<CVec2>& profile, float cx, float cz, int segments,
              bool smoothAround);
// A round tube (cylinder) from point a to point b.
void AddTubeBetween(CPrimitive& p, const CVec3& a, const CVec3& b, float radius, int segments,
                    bool caps = true);
// Rectangular frame in the x-y plane: outer half size (hx, hy), border width,
// depth along z from z0 to z1; the opening in the middle stays empty.
void AddFrameZ(CPrimitive& p, float cx, float cy, float hx, float hy, float border, float z0,
               float z1, CUvMode uv = {});

// Bounds of a primitive's positions (min, max); zero box when empty.
std::array<CVec3, 2> PrimitiveBounds(const CPrimitive& p);

// ---- sizes of the object models that stage layouts must respect ----
// (all in the object's own frame; the coordinate file places that frame)
namespace content_sizes {
// Door (Door.gltf, DoorEdge.gltf, lamp and clock), origin at the door's base
// point on the floor, the door plane is local z = 0. The wall opening that a
// door closes is x in [-kDoorOpeningHalfWidth, +], y in [0, kDoorOpeningHeight];
// the panel (x +-4.5, y 0..8, z +-0.25) covers it when closed and clears it
// when raised by 7.5. A wall holding a door is at most kDoorWallThickness thick,
// centred on the door plane, and reaches at least kDoorPanelTopOpen high.
// Time doors show their clock face toward local -z: turn that side toward
// the time button.
constexpr float kDoorOpeningHalfWidth = 4.0f;
constexpr float kDoorOpeningHeight = 7.5f;
constexpr float kDoorWallThickness = 0.8f;
constexpr float kDoorPanelHalfWidth = 4.5f;
constexpr float kDoorPanelHeight = 8.0f;
constexpr float kDoorPanelTopOpen = 15.5f;
constexpr float kDoorFrameHalfWidth = 5.2f;  // frame posts reach this far out
constexpr float kDoorFrameHalfDepth = 0.5f;  // 0.1 proud of the wall faces
constexpr float kDoorFrameHeight = 10.2f;
// Button: origin at its base point on the floor; frame ring radius 2.6, 0.3
// high; the top (radius 2.0) stands 0.45 above the base when up.
constexpr float kButtonFrameRadius = 2.6f;
constexpr float kButtonTopHeight = 0.45f;
// Window panel (Window.gltf): 10 x 10 x 0.5 about its centre (x, y, z
// half sizes 5, 5, 0.25) before the coordinate file's scale.
constexpr float kWindowHalfWidth = 5.0f;
constexpr float kWindowHalfHeight = 5.0f;
constexpr float kWindowHalfDepth = 0.25f;
// Laser emitter: origin at the body's centre, body within 0.8 of it; the beam
// leaves 1.0 ahead along local +z. Mount it with its back (local -z side)
// against a wall or free-standing.
constexpr float kLaserBodyHalfSize = 0.8f;
// Showcase: origin at its base on the floor, a solid pedestal 4.4 x 4.4,
// 3.6 high; the jewel floats 6 above the origin.
constexpr float kShowcaseHalfWidth = 2.2f;
constexpr float kShowcaseHeight = 3.6f;
// The player's laser collision model: a sphere of this radius about the eye
// (so from the feet at eye - 3 to above the head, whatever the pitch).
constexpr float kPlayerHitRadius = 2.5f;
}  // namespace content_sizes

// Writes an RGBA8 image as PNG with fixed compression (deterministic bytes).
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);
