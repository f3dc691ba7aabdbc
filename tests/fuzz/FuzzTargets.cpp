#include "tests/fuzz/FuzzTargets.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "framework/audio/FwAudioDevice.h"
#include "framework/model/FwGLTF.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwTexture.h"
#include "game/StageFile.h"

namespace gvfuzz {

namespace {

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

bool StageFile(const uint8_t* data, size_t size, std::string& problem) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const StageFileResult result = ParseStageFile(text, "fuzz.txt");
    if (!result.Ok()) {
        if (result.error.ToString().find("fuzz.txt") == std::string::npos) problem = "a refusal that does not name the file";
        return problem.empty();
    }
    const StageLayout& layout = *result.layout;
    for (const auto* list : {&layout.pushingDoors, &layout.returnDoors})
        if (list->size() > static_cast<size_t>(kMaxStageRecords)) problem = "more doors than a section may hold";
    if (layout.boxes.size() > static_cast<size_t>(kMaxStageRecords)) problem = "more boxes than a section may hold";
    for (size_t i = 0; i < layout.boxes.size(); ++i) {
        if (layout.boxes[i].index != static_cast<int32_t>(i)) problem = "a box index that is not its position";
        if (!Finite(layout.boxes[i].position)) problem = "a box position that is not finite";
    }
    for (const StageLaserGroupRecord& group : layout.returnLasers)
        if (group.laserCount > kMaxLasersPerGroup) problem = "a laser group larger than allowed";
    if (!Finite(layout.showcase.position)) problem = "a showcase position that is not finite";
    return problem.empty();
}

bool Gltf(const uint8_t* data, size_t size, std::string& problem) {
    // No folder: a model from memory reads no other file.
    const std::vector<unsigned char> bytes(data, data + size);
    std::string error;
    std::shared_ptr<FwGLTFModel> model = FwParseGLTFModel(bytes, "", &error);
    if (!model) {
        if (error.empty()) problem = "a refusal without a reason";
        return problem.empty();
    }
    uint64_t vertices = 0;
    for (const auto& node : model->nodes) {
        vertices += node->vertices.size();
        for (const FwMeshFace& face : node->faces)
            for (uint32_t index : face.idx)
                if (index >= node->vertices.size()) problem = "a face index past the vertex list";
        for (const FwMeshSubset& subset : node->subsets)
            if (subset.firstFace < 0 || subset.faceCount < 0 ||
                static_cast<size_t>(subset.firstFace) + static_cast<size_t>(subset.faceCount) > node->faces.size())
                problem = "a subset outside the face list";
        // What FwModel::Load does next, without a graphics device.
        if (node->hasMesh) {
            FwMesh mesh;
            mesh.Create(node->vertices, node->faces, node->subsets);
        }
    }
    if (vertices > FwGLTFLimits::kMaxVertices) problem = "more vertices than the limit";
    for (const auto& root : model->rootNodes)
        if (!root || root->index < 0 || static_cast<size_t>(root->index) >= model->nodes.size())
            problem = "a root that is not in the node list";
    return problem.empty();
}

bool Wav(const uint8_t* data, size_t size, std::string& problem) {
    FwPcmData pcm;
    std::string error;
    if (!FwDecodeWav(data, size, pcm, error)) {
        if (error.empty()) problem = "a refusal without a reason";
        return problem.empty();
    }
    if (pcm.channels != 1 && pcm.channels != 2) problem = "neither mono nor stereo";
    if (pcm.sampleRate <= 0) problem = "a sample rate of zero or less";
    if (pcm.FrameCount() == 0) problem = "a sound without a frame";
    if (pcm.samples.size() % static_cast<size_t>(pcm.channels > 0 ? pcm.channels : 1) != 0)
        problem = "a partial frame";
    return problem.empty();
}

bool Image(const uint8_t* data, size_t size, std::string& problem) {
    FwImage image;
    std::string error;
    if (!FwTexture::DecodePng(data, size, FwTexture::kMaxImageSide, image, error)) {
        if (error.empty()) problem = "a refusal without a reason";
        if (image.rgba) problem = "pixels left behind by a refusal";
        return problem.empty();
    }
    if (!image.rgba) problem = "no pixels";
    if (image.width <= 0 || image.height <= 0 || image.width > FwTexture::kMaxImageSide ||
        image.height > FwTexture::kMaxImageSide)
        problem = "a size outside the limits";
    // Every texel can be read (the sanitizers check the buffer's extent).
    if (problem.empty()) {
        const size_t last = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4 - 1;
        volatile uint8_t probe = image.rgba.get()[last];
        (void)probe;
    }
    return problem.empty();
}

}  // namespace gvfuzz
