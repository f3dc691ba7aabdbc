#include "framework/model/FwGLTF.h"

#include "framework/resource/FwContentFile.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// ---------------------------------------------------------------------------
// File access
// ---------------------------------------------------------------------------

// Folder of the file, with its trailing separator; "./" when there is none.
std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Buffer files a model may name: relative paths inside its own folder, no
// ".." step, regular files only, at most kMaxFileBytes. With no folder (a
// model parsed from memory) no file at all.
struct ModelFolder {
    std::string directory;

    bool Admits(const std::string& path) const {
        if (directory.empty() || path.compare(0, directory.size(), directory) != 0) return false;
        const std::filesystem::path rest(path.substr(directory.size()));
        if (rest.empty() || rest.is_absolute() || rest.has_root_name()) return false;
        for (const std::filesystem::path& part : rest)
            if (part == "..") return false;
        std::error_code ec;
        return std::filesystem::is_regular_file(path, ec);
    }
};

bool FolderFileExists(const std::string& path, void* user) {
    return static_cast<const ModelFolder*>(user)->Admits(path);
}

std::string KeepPath(const std::string& path, void*) { return path; }

bool ReadFolderFile(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* user) {
    std::string error = "outside the model's folder";
    if (static_cast<const ModelFolder*>(user)->Admits(path) &&
        FwReadBoundedFile(path, FwGLTFLimits::kMaxFileBytes, *out, error))
        return true;
    if (err) *err += error;
    return false;
}

bool WriteNothing(std::string* err, const std::string&, const std::vector<unsigned char>&, void*) {
    if (err) *err += "writing is not supported";
    return false;
}

uint32_t ReadU32LE(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool HasGlbMagic(const std::vector<unsigned char>& bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
}

// tinygltf trusts the BIN chunk's declared length a few bytes too far, so the
// chunk layout is checked here before the parser sees the file.
bool CheckGlbLayout(const std::vector<unsigned char>& bytes, std::string& error) {
    const uint64_t size = bytes.size();
    if (size < 20) {
        error = "binary glTF shorter than its 20-byte header";
        return false;
    }
    const uint64_t length = ReadU32LE(&bytes[8]);
    const uint64_t jsonEnd = 20ull + ReadU32LE(&bytes[12]);
    if (length > size) {
        error = "binary glTF declares more bytes than the file holds";
        return false;
    }
    if (jsonEnd > length) {
        error = "binary glTF JSON chunk runs past the end of the file";
        return false;
    }
    if (jsonEnd == length) return true;  // no BIN chunk
    if (jsonEnd + 8 > length || jsonEnd + 8 + ReadU32LE(&bytes[jsonEnd]) > length) {
        error = "binary glTF BIN chunk runs past the end of the file";
        return false;
    }
    return true;
}

// Images are decoded later by FwTexture from the file next to the model; the
// parser only has to keep their URIs.
bool KeepImageUnDecoded(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*,
                        int, void*) {
    return true;
}

// The parser's messages joined into one line.
std::string OneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ';';
    return text;
}

bool ParseWithTinyGltf(const std::vector<unsigned char>& bytes, const std::string& directory, tinygltf::Model& model,
                       std::string& error) {
    if (bytes.empty()) {
        error = "the file is empty";
        return false;
    }
    if (bytes.size() > FwGLTFLimits::kMaxFileBytes) {
        error = "the file is larger than " + std::to_string(FwGLTFLimits::kMaxFileBytes) + " bytes";
        return false;
    }
    const bool binary = HasGlbMagic(bytes);
    if (binary && !CheckGlbLayout(bytes, error)) return false;

    ModelFolder folder{directory};
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(&KeepImageUnDecoded, nullptr);
    loader.SetFsCallbacks({&FolderFileExists, &KeepPath, &ReadFolderFile, &WriteNothing, &folder});
    std::string err, warn;
    bool ok = false;
    try {
        const auto size = static_cast<unsigned int>(bytes.size());
        if (binary)
            ok = loader.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(), size, directory);
        else
            ok = loader.LoadASCIIFromString(&model, &err, &warn, reinterpret_cast<const char*>(bytes.data()), size,
                                            directory);
    } catch (const std::exception& e) {
        err += e.what();
        ok = false;
    }
    // Warnings (an image file the parser could not read, unknown extensions)
    // do not stop a model: images are loaded and reported by FwTexture.
    if (!ok) error = err.empty() ? std::string("not a glTF file") : OneLine(err);
    return ok;
}

// -x without producing -0: mirrored zeros stay +0, so an identity transform
// stays bit-for-bit the identity.
float Negate(float x) { return 0.0f - x; }

// ---------------------------------------------------------------------------
// Accessors: bounds-checked views into a buffer, stride applied
// ---------------------------------------------------------------------------

class AccessorView {
public:
    // Checks that every element of the accessor lies inside its buffer view
    // and the view inside its buffer.
    bool Open(const tinygltf::Model& model, int accessorIndex, std::string& error);

    size_t Count() const { return count_; }
    int Type() const { return type_; }
    int ComponentType() const { return componentType_; }
    // Component c of element i with the glTF normalisation rule for its type.
    float ReadNormalized(size_t i, int c) const;
    float ReadFloat(size_t i, int c) const;
    // Integer component types only; others read 0.
    uint32_t ReadIndex(size_t i) const;

private:
    const unsigned char* At(size_t i, int c) const { return base_ + i * stride_ + size_t(c) * componentSize_; }

    const unsigned char* base_ = nullptr;
    size_t stride_ = 0;
    size_t count_ = 0;
    int type_ = 0;
    int componentType_ = 0;
    int componentSize_ = 0;
};

bool AccessorView::Open(const tinygltf::Model& model, int accessorIndex, std::string& error) {
    if (accessorIndex < 0 || size_t(accessorIndex) >= model.accessors.size()) {
        error = "accessor index " + std::to_string(accessorIndex) + " does not exist";
        return false;
    }
    const tinygltf::Accessor& accessor = model.accessors[accessorIndex];
    const std::string what = "accessor " + std::to_string(accessorIndex);
    componentSize_ = tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(accessor.componentType));
    const int components = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(accessor.type));
    if (componentSize_ <= 0 || components <= 0) {
        error = what + " has an unknown component type or element type";
        return false;
    }
    type_ = accessor.type;
    componentType_ = accessor.componentType;
    count_ = accessor.count;
    const size_t elementSize = size_t(componentSize_) * size_t(components);
    if (accessor.bufferView < 0 || accessor.sparse.isSparse) {
        error = what + " has no buffer view or is sparse (not supported for mesh data)";
        return false;
    }
    if (size_t(accessor.bufferView) >= model.bufferViews.size()) {
        error = what + " refers to a missing buffer view";
        return false;
    }
    const tinygltf::BufferView& view = model.bufferViews[accessor.bufferView];
    if (view.buffer < 0 || size_t(view.buffer) >= model.buffers.size()) {
        error = what + " refers to a missing buffer";
        return false;
    }
    const std::vector<unsigned char>& data = model.buffers[view.buffer].data;
    if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) {
        error = what + ": buffer view runs past the end of its buffer";
        return false;
    }
    stride_ = view.byteStride != 0 ? view.byteStride : elementSize;
    if (stride_ < elementSize) {
        error = what + ": byte stride smaller than one element";
        return false;
    }
    if (count_ > 0) {
        const size_t limit = view.byteLength;
        const bool fits = accessor.byteOffset <= limit && elementSize <= limit - accessor.byteOffset &&
                          (count_ - 1) <= (limit - accessor.byteOffset - elementSize) / stride_;
        if (!fits) {
            error = what + " runs past the end of its buffer view";
            return false;
        }
    }
    base_ = count_ > 0 ? data.data() + view.byteOffset + accessor.byteOffset : nullptr;
    return true;
}

template <typename T>
T Load(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    return value;
}

float AccessorView::ReadFloat(size_t i, int c) const {
    if (!base_ || componentType_ != TINYGLTF_COMPONENT_TYPE_FLOAT) return 0.0f;
    return Load<float>(At(i, c));
}

float AccessorView::ReadNormalized(size_t i, int c) const {
    if (!base_) return 0.0f;
    const unsigned char* p = At(i, c);
    switch (componentType_) {
        case TINYGLTF_COMPONENT_TYPE_BYTE: return std::max(Load<int8_t>(p) / 127.0f, -1.0f);
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return Load<uint8_t>(p) / 255.0f;
        case TINYGLTF_COMPONENT_TYPE_SHORT: return std::max(Load<int16_t>(p) / 32767.0f, -1.0f);
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return Load<uint16_t>(p) / 65535.0f;
        case TINYGLTF_COMPONENT_TYPE_FLOAT: return Load<float>(p);
        default: return 0.0f;
    }
}

uint32_t AccessorView::ReadIndex(size_t i) const {
    if (!base_) return 0;
    const unsigned char* p = At(i, 0);
    switch (componentType_) {
        case TINYGLTF_COMPONENT_TYPE_BYTE: return static_cast<uint32_t>(Load<int8_t>(p));
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return Load<uint8_t>(p);
        case TINYGLTF_COMPONENT_TYPE_SHORT: return static_cast<uint32_t>(Load<int16_t>(p));
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return Load<uint16_t>(p);
        case TINYGLTF_COMPONENT_TYPE_INT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return Load<uint32_t>(p);
        default: return 0;
    }
}

// ---------------------------------------------------------------------------
// Primitives
// ---------------------------------------------------------------------------

struct PrimitiveData {
    int32_t material = 0;
    std::vector<FwMeshVertex> vertices;
    std::vector<FwMeshFace> faces;
};

// Opens an optional vertex attribute; false only when it exists but cannot
// be read for every vertex. present tells whether it exists.
bool OpenAttribute(const tinygltf::Model& model, const tinygltf::Primitive& primitive, const char* name,
                   size_t vertexCount, AccessorView& view, bool& present, std::string& error) {
    auto it = primitive.attributes.find(name);
    present = it != primitive.attributes.end();
    if (!present) return true;
    if (!view.Open(model, it->second, error)) return false;
    if (view.Count() < vertexCount) {
        error = std::string(name) + " has fewer elements than POSITION";
        return false;
    }
    return true;
}

bool ReadPositions(const tinygltf::Model& model, const tinygltf::Primitive& primitive, PrimitiveData& out,
                   std::string& error) {
    auto it = primitive.attributes.find("POSITION");
    if (it == primitive.attributes.end()) {
        error = "triangle primitive without POSITION";
        return false;
    }
    AccessorView view;
    if (!view.Open(model, it->second, error)) return false;
    if (view.Type() != TINYGLTF_TYPE_VEC3 || view.ComponentType() != TINYGLTF_COMPONENT_TYPE_FLOAT) {
        error = "POSITION is not a float triple";
        return false;
    }
    out.vertices.resize(view.Count());
    for (size_t i = 0; i < view.Count(); ++i)
        out.vertices[i].position = {view.ReadFloat(i, 0), view.ReadFloat(i, 1), Negate(view.ReadFloat(i, 2))};
    return true;
}

bool ReadNormals(const tinygltf::Model& model, const tinygltf::Primitive& primitive, PrimitiveData& out,
                 std::string& error) {
    AccessorView view;
    bool present = false;
    if (!OpenAttribute(model, primitive, "NORMAL", out.vertices.size(), view, present, error)) return false;
    if (!present) return true;
    if (view.Type() != TINYGLTF_TYPE_VEC3 || view.ComponentType() != TINYGLTF_COMPONENT_TYPE_FLOAT) {
        error = "NORMAL is not a float triple";
        return false;
    }
    for (size_t i = 0; i < out.vertices.size(); ++i)
        out.vertices[i].normal = {view.ReadFloat(i, 0), view.ReadFloat(i, 1), Negate(view.ReadFloat(i, 2))};
    return true;
}

bool ReadTexcoords(const tinygltf::Model& model, const tinygltf::Primitive& primitive, PrimitiveData& out,
                   std::string& error) {
    AccessorView view;
    bool present = false;
    if (!OpenAttribute(model, primitive, "TEXCOORD_0", out.vertices.size(), view, present, error)) return false;
    if (!present) return true;
    if (view.Type() != TINYGLTF_TYPE_VEC2) {
        error = "TEXCOORD_0 is not a pair";
        return false;
    }
    for (size_t i = 0; i < out.vertices.size(); ++i)
        out.vertices[i].uv = {view.ReadNormalized(i, 0), view.ReadNormalized(i, 1)};
    return true;
}

uint32_t PackColorChannel(float value) {
    return static_cast<uint32_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f) & 0xFFu;
}

// COLOR_0 as a 3- or 4-vector (other shapes are ignored); each channel
// clamped to [0, 1], scaled to 255 and truncated. Alpha stays 255 for RGB.
bool ReadColors(const tinygltf::Model& model, const tinygltf::Primitive& primitive, PrimitiveData& out,
                std::string& error) {
    AccessorView view;
    bool present = false;
    if (!OpenAttribute(model, primitive, "COLOR_0", out.vertices.size(), view, present, error)) return false;
    if (!present) return true;
    const int channels = view.Type() == TINYGLTF_TYPE_VEC3 ? 3 : view.Type() == TINYGLTF_TYPE_VEC4 ? 4 : 0;
    if (channels == 0) return true;
    for (size_t i = 0; i < out.vertices.size(); ++i) {
        uint32_t rgba = 0xFF000000u;
        for (int c = 0; c < channels; ++c) {
            const uint32_t shift = 8u * uint32_t(c);
            rgba = (rgba & ~(0xFFu << shift)) | (PackColorChannel(view.ReadNormalized(i, c)) << shift);
        }
        out.vertices[i].color = rgba;
    }
    return true;
}

// Faces with the winding reversed (0, 2, 1). A primitive without indices
// takes its vertices three at a time.
bool ReadFaces(const tinygltf::Model& model, const tinygltf::Primitive& primitive, PrimitiveData& out,
               std::string& error) {
    const size_t vertexCount = out.vertices.size();
    if (primitive.indices < 0) {
        for (size_t f = 0; f < vertexCount / 3; ++f) {
            const auto base = static_cast<uint32_t>(3 * f);
            out.faces.push_back({{base, base + 2, base + 1}});
        }
        return true;
    }
    AccessorView view;
    if (!view.Open(model, primitive.indices, error)) return false;
    if (view.Type() != TINYGLTF_TYPE_SCALAR) {
        error = "index accessor is not scalar";
        return false;
    }
    out.faces.resize(view.Count() / 3);
    for (size_t f = 0; f < out.faces.size(); ++f) {
        const uint32_t a = view.ReadIndex(3 * f), b = view.ReadIndex(3 * f + 1), c = view.ReadIndex(3 * f + 2);
        if (a >= vertexCount || b >= vertexCount || c >= vertexCount) {
            error = "index value beyond the vertex count";
            return false;
        }
        out.faces[f] = {{a, c, b}};
    }
    return true;
}

bool ReadPrimitive(const tinygltf::Model& model, const tinygltf::Primitive& primitive, PrimitiveData& out,
                   std::string& error) {
    if (primitive.material >= 0 && size_t(primitive.material) >= model.materials.size()) {
        error = "primitive refers to a missing material";
        return false;
    }
    out.material = primitive.material < 0 ? 0 : primitive.material;
    return ReadPositions(model, primitive, out, error) && ReadNormals(model, primitive, out, error) &&
           ReadTexcoords(model, primitive, out, error) && ReadColors(model, primitive, out, error) &&
           ReadFaces(model, primitive, out, error);
}

// Vertices and triangles read so far. Every node holds its own copy of its
// mesh, so a small file whose nodes or primitives all name one large
// accessor would multiply it without end; the totals are capped instead.
struct ModelBudget {
    uint64_t vertices = 0;
    uint64_t faces = 0;

    bool Take(const PrimitiveData& data, std::string& error) {
        vertices += data.vertices.size();
        faces += data.faces.size();
        if (vertices > FwGLTFLimits::kMaxVertices || faces > FwGLTFLimits::kMaxTriangles) {
            error = "more than " + std::to_string(FwGLTFLimits::kMaxVertices) + " vertices or " +
                    std::to_string(FwGLTFLimits::kMaxTriangles) + " triangles in all";
            return false;
        }
        return true;
    }
};

// Triangle primitives of a mesh, sorted by material and concatenated into
// the node's lists; one subset per primitive.
bool FillNodeMesh(const tinygltf::Model& model, const tinygltf::Mesh& mesh, FwGLTFNode& node, ModelBudget& budget,
                  std::string& error) {
    std::vector<PrimitiveData> primitives;
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
        if (primitive.mode != TINYGLTF_MODE_TRIANGLES) continue;
        PrimitiveData data;
        if (!ReadPrimitive(model, primitive, data, error) || !budget.Take(data, error)) return false;
        primitives.push_back(std::move(data));
    }
    std::stable_sort(primitives.begin(), primitives.end(),
                     [](const PrimitiveData& a, const PrimitiveData& b) { return a.material < b.material; });
    for (const PrimitiveData& p : primitives) {
        const auto offset = static_cast<uint32_t>(node.vertices.size());
        FwMeshSubset subset;
        subset.materialIndex = p.material;
        subset.firstFace = static_cast<int32_t>(node.faces.size());
        subset.faceCount = static_cast<int32_t>(p.faces.size());
        node.subsets.push_back(subset);
        node.vertices.insert(node.vertices.end(), p.vertices.begin(), p.vertices.end());
        for (const FwMeshFace& f : p.faces) node.faces.push_back({{f.idx[0] + offset, f.idx[1] + offset, f.idx[2] + offset}});
    }
    return true;
}

// ---------------------------------------------------------------------------
// Nodes and transforms
// ---------------------------------------------------------------------------

// Mirror of z: the right-handed glTF transform expressed in the left-handed
// world.
void MirrorZ(Matrix& m) {
    m.m[0][2] = Negate(m.m[0][2]);
    m.m[1][2] = Negate(m.m[1][2]);
    m.m[2][0] = Negate(m.m[2][0]);
    m.m[2][1] = Negate(m.m[2][1]);
    m.m[3][2] = Negate(m.m[3][2]);
}

// Row-vector form: scale x rotation x translation x the given matrix.
Matrix LocalMatrix(const tinygltf::Node& node) {
    Matrix s, r, t, m;
    if (node.scale.size() == 3) s = MatrixScaling(float(node.scale[0]), float(node.scale[1]), float(node.scale[2]));
    if (node.rotation.size() == 4)
        r = MatrixRotationQuaternion(float(node.rotation[0]), float(node.rotation[1]), float(node.rotation[2]),
                                     float(node.rotation[3]));
    if (node.translation.size() == 3)
        t = MatrixTranslation(float(node.translation[0]), float(node.translation[1]), float(node.translation[2]));
    if (node.matrix.size() == 16)
        for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = float(node.matrix[i]);
    Matrix local = s * r * t * m;
    MirrorZ(local);
    return local;
}

bool CheckNodeReferences(const tinygltf::Model& model, std::string& error) {
    const size_t count = model.nodes.size();
    for (size_t i = 0; i < count; ++i) {
        const tinygltf::Node& node = model.nodes[i];
        if (node.mesh >= 0 && size_t(node.mesh) >= model.meshes.size()) {
            error = "node " + std::to_string(i) + " refers to a missing mesh";
            return false;
        }
        for (int child : node.children)
            if (child < 0 || size_t(child) >= count) {
                error = "node " + std::to_string(i) + " has a missing child";
                return false;
            }
    }
    if (!model.scenes.empty())
        for (int root : model.scenes[0].nodes)
            if (root < 0 || size_t(root) >= count) {
                error = "scene 0 lists a missing node";
                return false;
            }
    return true;
}

// Depth-first search for a node that is its own ancestor. Iterative, so a
// deep (or hostile) hierarchy cannot exhaust the stack.
bool HasCycle(const tinygltf::Model& model) {
    enum State : char { Unvisited, OnPath, Done };
    std::vector<char> state(model.nodes.size(), Unvisited);
    for (size_t start = 0; start < model.nodes.size(); ++start) {
        if (state[start] != Unvisited) continue;
        std::vector<std::pair<size_t, size_t>> stack{{start, 0}};  // node, next child
        state[start] = OnPath;
        while (!stack.empty()) {
            auto& [node, next] = stack.back();
            const std::vector<int>& children = model.nodes[node].children;
            if (next == children.size()) {
                state[node] = Done;
                stack.pop_back();
                continue;
            }
            const auto child = static_cast<size_t>(children[next++]);
            if (state[child] == OnPath) return true;
            if (state[child] == Unvisited) {
                state[child] = OnPath;
                stack.push_back({child, 0});
            }
        }
    }
    return false;
}

bool BuildNodes(const tinygltf::Model& model, FwGLTFModel& out, std::string& error) {
    if (!CheckNodeReferences(model, error)) return false;
    if (HasCycle(model)) {
        error = "node hierarchy contains a cycle";
        return false;
    }
    out.nodes.resize(model.nodes.size());
    for (auto& node : out.nodes) node = std::make_shared<FwGLTFNode>();
    ModelBudget budget;
    for (size_t i = 0; i < model.nodes.size(); ++i) {
        const tinygltf::Node& source = model.nodes[i];
        FwGLTFNode& node = *out.nodes[i];
        node.name = source.name;
        node.index = static_cast<int32_t>(i);
        for (int child : source.children) node.children.push_back(out.nodes[child]);
        node.localMatrix = LocalMatrix(source);
        node.hasMesh = source.mesh >= 0;
        if (node.hasMesh && !FillNodeMesh(model, model.meshes[source.mesh], node, budget, error)) return false;
    }
    if (!model.scenes.empty())
        for (int root : model.scenes[0].nodes) out.rootNodes.push_back(out.nodes[root]);
    return true;
}

// combined = local x parent's combined, from every root down. Each node is
// visited once (glTF gives a node one parent at most), iteratively, so neither
// a shared child nor a deep hierarchy can blow up the walk.
void ComputeCombinedMatrices(FwGLTFModel& model) {
    std::vector<char> visited(model.nodes.size(), 0);
    std::vector<std::pair<FwGLTFNode*, Matrix>> pending;
    for (const auto& root : model.rootNodes) pending.push_back({root.get(), Matrix::Identity()});
    while (!pending.empty()) {
        auto [node, parent] = pending.back();
        pending.pop_back();
        if (visited[node->index]) continue;
        visited[node->index] = 1;
        node->combinedMatrix = node->localMatrix * parent;
        for (const auto& child : node->children) pending.push_back({child.get(), node->combinedMatrix});
    }
}

// ---------------------------------------------------------------------------
// Materials
// ---------------------------------------------------------------------------

// URI of the image behind a texture index; empty when any link is missing.
std::string TextureFile(const tinygltf::Model& model, int textureIndex) {
    if (textureIndex < 0 || size_t(textureIndex) >= model.textures.size()) return {};
    const int source = model.textures[textureIndex].source;
    if (source < 0 || size_t(source) >= model.images.size()) return {};
    return model.images[source].uri;
}

FwGLTFMaterial ConvertMaterial(const tinygltf::Model& model, const tinygltf::Material& m) {
    FwGLTFMaterial out;
    out.name = m.name;
    out.alphaMode = m.alphaMode;
    out.alphaCutoff = float(m.alphaCutoff);
    out.doubleSided = m.doubleSided;
    const tinygltf::PbrMetallicRoughness& pbr = m.pbrMetallicRoughness;
    out.baseColorTexture = TextureFile(model, pbr.baseColorTexture.index);
    if (pbr.baseColorFactor.size() == 4)
        for (int i = 0; i < 4; ++i) out.baseColorFactor[i] = float(pbr.baseColorFactor[i]);
    out.metallicRoughnessTexture = TextureFile(model, pbr.metallicRoughnessTexture.index);
    out.metallicFactor = float(pbr.metallicFactor);
    out.roughnessFactor = float(pbr.roughnessFactor);
    out.emissiveTexture = TextureFile(model, m.emissiveTexture.index);
    if (m.emissiveFactor.size() == 3)
        for (int i = 0; i < 3; ++i) out.emissiveFactor[i] = float(m.emissiveFactor[i]);
    out.normalTexture = TextureFile(model, m.normalTexture.index);
    out.occlusionTexture = TextureFile(model, m.occlusionTexture.index);
    return out;
}

}  // namespace

std::shared_ptr<FwGLTFModel> FwParseGLTFModel(const std::vector<unsigned char>& bytes, const std::string& directory,
                                              std::string* error) {
    std::string reason;
    tinygltf::Model model;
    std::shared_ptr<FwGLTFModel> out;
    try {
        if (ParseWithTinyGltf(bytes, directory, model, reason)) {
            out = std::make_shared<FwGLTFModel>();
            for (const tinygltf::Material& material : model.materials)
                out->materials.push_back(ConvertMaterial(model, material));
            if (BuildNodes(model, *out, reason))
                ComputeCombinedMatrices(*out);
            else
                out.reset();
        }
    } catch (const std::exception& e) {  // e.g. a mesh too large for memory
        reason = e.what();
        out.reset();
    }
    if (!out && error) *error = reason;
    return out;
}

std::shared_ptr<FwGLTFModel> FwLoadGLTFModel(const std::string& path, std::string* error) {
    std::vector<unsigned char> bytes;
    std::string reason;
    if (!FwReadBoundedFile(path, FwGLTFLimits::kMaxFileBytes, bytes, reason)) {
        if (error) *error = reason;
        return nullptr;
    }
    return FwParseGLTFModel(bytes, DirectoryOf(path), error);
}
