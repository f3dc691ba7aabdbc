#include "framework/model/FwModel.h"

#include <algorithm>
#include <cmath>

#include "framework/model/FwGLTF.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwTexture.h"
#include "framework/resource/FwLoadFailure.h"

namespace {

// Axis-aligned box around the points: centre and half extents.
void ComputeBox(const std::vector<Vector3>& points, Vector3& center, Vector3& extents) {
    Vector3 lo = points[0], hi = points[0];
    for (const Vector3& p : points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    center = (hi + lo) * 0.5f;
    extents = (hi - lo) * 0.5f;
}

// Bounding sphere: the farthest-apart pair of axis-extreme points gives the
// first sphere (ties go to z, then y), which then grows to take in every
// point still outside it.
void ComputeSphere(const std::vector<Vector3>& points, Vector3& center, float& radius) {
    Vector3 minX = points[0], maxX = points[0], minY = points[0], maxY = points[0], minZ = points[0], maxZ = points[0];
    for (const Vector3& p : points) {
        if (p.x < minX.x) minX = p;
        if (p.x > maxX.x) maxX = p;
        if (p.y < minY.y) minY = p;
        if (p.y > maxY.y) maxY = p;
        if (p.z < minZ.z) minZ = p;
        if (p.z > maxZ.z) maxZ = p;
    }
    const float distX = Length(maxX - minX), distY = Length(maxY - minY), distZ = Length(maxZ - minZ);
    if (distX > distY && distX > distZ) {
        center = (maxX + minX) * 0.5f;
        radius = distX * 0.5f;
    } else if (distY >= distX && distY > distZ) {
        center = (maxY + minY) * 0.5f;
        radius = distY * 0.5f;
    } else {
        center = (maxZ + minZ) * 0.5f;
        radius = distZ * 0.5f;
    }
    for (const Vector3& p : points) {
        const Vector3 delta = p - center;
        const float dist = Length(delta);
        if (dist > radius) {
            radius = (radius + dist) * 0.5f;
            center += delta * (1.0f - radius / dist);
        }
    }
}

// A texture from the folder of the model, shared with every material and
// model that uses the same image (a base colour image is often the emissive
// image too); null when there is no file or it does not load.
std::shared_ptr<FwTexture> LoadTexture(const std::string& directory, const std::string& file) {
    return file.empty() ? nullptr : FwTexture::LoadShared(directory + file);
}

// With the renderer's shared default texture standing in on failure.
std::shared_ptr<FwTexture> LoadTextureOrDefault(const std::string& directory, const std::string& file) {
    std::shared_ptr<FwTexture> texture = LoadTexture(directory, file);
    return texture ? texture : FwDirect3D::GetInstance().GetDefaultTexture();
}

// Without a fallback: an empty texture when the file is missing.
std::shared_ptr<FwTexture> LoadTextureOrEmpty(const std::string& directory, const std::string& file) {
    std::shared_ptr<FwTexture> texture = LoadTexture(directory, file);
    return texture ? texture : std::make_shared<FwTexture>();
}

FwAlphaMode ToAlphaMode(const std::string& mode) {
    if (mode == "BLEND") return FwAlphaMode::Blend;
    if (mode == "MASK") return FwAlphaMode::Mask;
    return FwAlphaMode::Opaque;
}

FwModelMaterial ConvertMaterial(const FwGLTFMaterial& source, const std::string& directory) {
    FwModelMaterial material;
    material.name = source.name;
    material.alphaMode = ToAlphaMode(source.alphaMode);
    const float* c = source.baseColorFactor;
    material.baseColor = {c[0], c[1], c[2], c[3]};
    material.baseColorTexture = LoadTextureOrDefault(directory, source.baseColorTexture);
    material.metallic = source.metallicFactor;
    material.roughness = source.roughnessFactor;
    material.metallicRoughnessTexture = LoadTextureOrDefault(directory, source.metallicRoughnessTexture);
    const float* e = source.emissiveFactor;
    material.emissive = {e[0], e[1], e[2]};
    material.emissiveTexture = LoadTextureOrDefault(directory, source.emissiveTexture);
    material.normalTexture = LoadTextureOrEmpty(directory, source.normalTexture);
    return material;
}

// Folder of the file with its trailing separator; empty when the path has
// none (the texture then sits in the working directory).
std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// FwMesh
// ---------------------------------------------------------------------------

bool FwMesh::Create(const std::vector<FwMeshVertex>& vertices, const std::vector<FwMeshFace>& faces,
                    const std::vector<FwMeshSubset>& subsets) {
    Release();
    subsets_ = subsets;
    for (const FwMeshVertex& v : vertices)
        if ((v.color >> 24) != 0xFF) opaqueVertexColors_ = false;
    subsetCenters_.reserve(subsets.size());
    for (const FwMeshSubset& subset : subsets) {
        // Only indices that name a vertex count; faces past the list are skipped.
        std::vector<Vector3> points;
        const int64_t end = static_cast<int64_t>(subset.firstFace) + subset.faceCount;
        for (int64_t f = std::max(subset.firstFace, 0); f < end && static_cast<size_t>(f) < faces.size(); ++f)
            for (uint32_t index : faces[f].idx)
                if (index < vertices.size()) points.push_back(vertices[index].position);
        Vector3 center, extents;
        if (!points.empty()) ComputeBox(points, center, extents);
        subsetCenters_.push_back(center);
    }
    if (!vertices.empty()) {
        // Without a graphics device the buffer stays empty; the CPU copies
        // below are all that collision needs.
        vertexBuffer_.Create(FwBind::Vertex, static_cast<uint32_t>(vertices.size() * sizeof(FwMeshVertex)),
                             FwUsage::Default, vertices.data());
        positions_.reserve(vertices.size());
        for (const FwMeshVertex& v : vertices) positions_.push_back(v.position);
        ComputeBox(positions_, boxCenter_, boxExtents_);
        ComputeSphere(positions_, sphereCenter_, sphereRadius_);
    }
    if (!faces.empty()) {
        indexBuffer_.Create(FwBind::Index, static_cast<uint32_t>(faces.size() * sizeof(FwMeshFace)), FwUsage::Default,
                            faces.data());
        faces_ = faces;
    }
    return true;
}

void FwMesh::SetToDevice() const {
    FwDirect3D& device = FwDirect3D::GetInstance();
    device.SetVertexBuffer(&vertexBuffer_, sizeof(FwMeshVertex), 0);
    device.SetIndexBuffer(&indexBuffer_);
    device.SetTopology(FwTopology::TriangleList);
}

void FwMesh::DrawSubset(int subset) const {
    if (subset < 0 || static_cast<size_t>(subset) >= subsets_.size()) return;
    const FwMeshSubset& s = subsets_[subset];
    if (s.faceCount == 0) return;
    FwDirect3D::GetInstance().DrawIndexed(static_cast<uint32_t>(s.faceCount) * 3, static_cast<uint32_t>(s.firstFace) * 3,
                                          0);
}

Vector3 FwMesh::SubsetCenter(int subset) const {
    if (subset < 0 || static_cast<size_t>(subset) >= subsetCenters_.size()) return Vector3{};
    return subsetCenters_[subset];
}

void FwMesh::Release() {
    vertexBuffer_.Release();
    indexBuffer_.Release();
    subsets_.clear();
    subsetCenters_.clear();
    opaqueVertexColors_ = true;
    positions_.clear();
    faces_.clear();
    boxCenter_ = boxExtents_ = sphereCenter_ = Vector3{};
    sphereRadius_ = 0.0f;
}

// ---------------------------------------------------------------------------
// FwModel
// ---------------------------------------------------------------------------

bool FwModel::Load(const std::string& path) {
    Clear();
    path_ = path;
    const std::string directory = DirectoryOf(path);
    std::string reason;
    std::shared_ptr<FwGLTFModel> gltf = FwLoadGLTFModel(path, &reason);
    if (!gltf) {
        loadError_ = path + ": " + reason;
        FwReportLoadFailure(path, reason, "an empty model stands in");
        return false;
    }

    for (const FwGLTFMaterial& source : gltf->materials) materials_.push_back(ConvertMaterial(source, directory));
    for (const auto& source : gltf->nodes) {
        FwModelNode node;
        node.name = source->name;
        node.index = source->index;
        node.matrix = source->localMatrix;
        if (source->hasMesh) {
            node.mesh = std::make_shared<FwMesh>();
            node.mesh->Create(source->vertices, source->faces, source->subsets);
        }
        nodes_.push_back(std::move(node));
    }
    for (const auto& root : gltf->rootNodes) meshNodes_.push_back(nodes_[root->index]);
    return true;
}

void FwModel::Clear() {
    materials_.clear();
    nodes_.clear();
    meshNodes_.clear();
    loadError_.clear();
    path_.clear();
}

size_t FwModel::TriangleCount() const {
    size_t count = 0;
    for (const FwModelNode& node : nodes_)
        if (node.mesh) count += node.mesh->Faces().size();
    return count;
}

void FwModel::AddNode(const FwModelNode& node, bool isRoot) {
    nodes_.push_back(node);
    if (isRoot) meshNodes_.push_back(node);
}

void FwModel::AddMaterial(const FwModelMaterial& material) { materials_.push_back(material); }
