// Malformed glTF files load as an empty model with a message, never read
// outside their buffers (run under GV_SANITIZE to see it), never hang.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "framework/model/FwGLTF.h"
#include "framework/model/FwModel.h"
#include "tests/support/GltfTestSupport.h"

using namespace gltftest;

namespace {

// The cases below break a valid one-triangle file (OneTriangle) in one place each.
json& FirstPrimitive(GltfBuilder& b) { return b.Doc()["meshes"][0]["primitives"][0]; }

// Every face index names a vertex, every subset lies inside the face list.
void ExpectConsistent(const FwModel& model) {
    for (const FwModelNode& node : model.Nodes()) {
        if (!node.mesh) continue;
        const FwMesh& mesh = *node.mesh;
        for (const FwMeshFace& f : mesh.Faces())
            for (uint32_t i : f.idx) ASSERT_LT(i, mesh.Positions().size());
        for (const FwMeshSubset& s : mesh.Subsets()) {
            ASSERT_GE(s.firstFace, 0);
            ASSERT_LE(size_t(s.firstFace) + size_t(s.faceCount), mesh.Faces().size());
        }
    }
}

class GltfMalformed : public ::testing::Test {
protected:
    // Loads the file; expects a refusal reported in one line on standard
    // error naming the file (nothing on standard output), the same text in
    // LoadError, and an empty model. Returns the reported line.
    std::string ExpectRefused(const std::string& path) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        FwModel model;
        const bool loaded = model.Load(path);
        const std::string err = testing::internal::GetCapturedStderr();
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(loaded) << err;
        EXPECT_TRUE(model.Nodes().empty());
        EXPECT_TRUE(model.MeshNodes().empty());
        EXPECT_TRUE(model.Materials().empty());
        EXPECT_EQ(out, "");
        EXPECT_EQ(err.rfind("cannot load " + path + ": ", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(model.LoadError().rfind(path + ": ", 0), 0u) << model.LoadError();
        EXPECT_NE(err.find(model.LoadError()), std::string::npos) << err;
        return err;
    }
    std::string ExpectRefusedText(const std::string& text) {
        WriteFile(dir_.File("bad.gltf"), text);
        return ExpectRefused(dir_.File("bad.gltf"));
    }
    std::string ExpectRefused(GltfBuilder& b) { return ExpectRefusedText(b.ToText()); }

    TempDir dir_;
};

}  // namespace

TEST_F(GltfMalformed, NotAModelAtAll) {
    ExpectRefusedText("this is not a model\n");
    ExpectRefusedText("{\"asset\": {\"version\": \"2.0\"}, \"nodes\": [");  // cut JSON
    ExpectRefusedText("");
    ExpectRefused(dir_.File("does-not-exist.gltf"));
    ExpectRefusedText("[1, 2, 3]");
}

TEST_F(GltfMalformed, PreviousContentIsClearedByAFailedLoad) {
    GltfBuilder good = OneTriangle();
    WriteFile(dir_.File("good.gltf"), good.ToText());
    FwModel model;
    ASSERT_TRUE(model.Load(dir_.File("good.gltf")));
    ASSERT_EQ(model.Nodes().size(), 1u);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(model.Load(dir_.File("missing.gltf")));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(model.Nodes().empty());
    EXPECT_TRUE(model.MeshNodes().empty());
}

TEST_F(GltfMalformed, TruncatedBase64Buffer) {
    std::string text = OneTriangle().ToText();
    const size_t start = text.find("base64,") + 7;
    const size_t end = text.find('"', start);
    text.erase(start + (end - start) / 2, (end - start) / 2);
    ExpectRefusedText(text);
}

TEST_F(GltfMalformed, AccessorsOutsideTheirBuffers) {
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["accessors"][0]["count"] = 4;  // one position more than the view holds
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["accessors"][0]["byteOffset"] = 8;  // shifted past the view's end
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["accessors"][1]["count"] = 300000000;  // absurd index count
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();  // no buffer view at all, and a count no memory holds
        b.Doc()["accessors"][0].erase("bufferView");
        b.Doc()["accessors"][0]["count"] = 1000000000000ull;
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["bufferViews"][0]["byteLength"] = 4000;  // view longer than the buffer
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["bufferViews"][0]["byteOffset"] = 1u << 31;
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["bufferViews"][0]["byteStride"] = 4;  // elements overlap: smaller than a VEC3
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["bufferViews"][0]["byteStride"] = 16;  // 3 elements at stride 16 need 44 bytes
        ExpectRefused(b);
    }
}

TEST_F(GltfMalformed, IndexValuesBeyondTheVertices) {
    for (const std::vector<uint16_t>& indices : {std::vector<uint16_t>{0, 1, 3}, {65535, 0, 1}}) {
        GltfBuilder b = OneTriangle();
        const int idx = b.AddData(indices, kUShort, "SCALAR", 3);
        FirstPrimitive(b)["indices"] = idx;
        const std::string out = ExpectRefused(b);
        EXPECT_NE(out.find("index value"), std::string::npos) << out;
    }
    GltfBuilder b = OneTriangle();
    FirstPrimitive(b)["indices"] = b.AddData(std::vector<int8_t>{0, -1, 1, 0}, kByte, "SCALAR", 3);
    ExpectRefused(b);  // a negative signed index is no vertex either
}

TEST_F(GltfMalformed, DanglingReferences) {
    auto refused = [this](const char* what, auto breakIt) {
        SCOPED_TRACE(what);
        GltfBuilder b = OneTriangle();
        breakIt(b);
        ExpectRefused(b);
    };
    refused("mesh", [](GltfBuilder& b) { b.Doc()["nodes"][0]["mesh"] = 3; });
    refused("child", [](GltfBuilder& b) { b.Doc()["nodes"][0]["children"] = {5}; });
    refused("scene node", [](GltfBuilder& b) { b.Doc()["scenes"][0]["nodes"] = {0, 9}; });
    refused("material", [](GltfBuilder& b) { FirstPrimitive(b)["material"] = 2; });
    refused("accessor", [](GltfBuilder& b) { FirstPrimitive(b)["attributes"]["NORMAL"] = 42; });
    refused("index accessor", [](GltfBuilder& b) { FirstPrimitive(b)["indices"] = 42; });
    refused("buffer view", [](GltfBuilder& b) { b.Doc()["accessors"][0]["bufferView"] = 9; });
    refused("no position", [](GltfBuilder& b) { FirstPrimitive(b)["attributes"].erase("POSITION"); });
}

TEST_F(GltfMalformed, AttributesOfTheWrongShape) {
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["accessors"][0]["type"] = "VEC2";
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["accessors"][0]["componentType"] = kUShort;
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();  // fewer normals than positions
        FirstPrimitive(b)["attributes"]["NORMAL"] = b.AddData(std::vector<float>{0, 1, 0}, kFloat, "VEC3", 1);
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["accessors"][1]["type"] = "VEC3";  // indices must be scalars
        ExpectRefused(b);
    }
}

TEST_F(GltfMalformed, CyclicHierarchiesAreRefusedNotWalkedForever) {
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["nodes"] = json::array({{{"mesh", 0}, {"children", {1}}}, {{"children", {0}}}});
        ExpectRefused(b);
    }
    {
        GltfBuilder b = OneTriangle();
        b.Doc()["nodes"][0]["children"] = {0};
        ExpectRefused(b);
    }
    // A child shared by two parents is no cycle: it loads.
    GltfBuilder b = OneTriangle();
    b.Doc()["nodes"] = json::array({{{"mesh", 0}}, {{"children", {0}}}, {{"children", {0}}}});
    b.Doc()["scenes"][0]["nodes"] = {1, 2};
    WriteFile(dir_.File("shared.gltf"), b.ToText());
    FwModel model;
    EXPECT_TRUE(model.Load(dir_.File("shared.gltf")));
}

TEST_F(GltfMalformed, BinaryChunksOutsideTheFile) {
    const std::vector<uint8_t> glb = OneTriangle().ToGlb();
    const uint32_t jsonLength = glb[12] | (glb[13] << 8) | (glb[14] << 16) | (glb[15] << 24);
    {
        std::vector<uint8_t> bad = glb;
        bad[20 + jsonLength] += 8;  // BIN chunk claims 8 bytes more than the file has
        WriteFile(dir_.File("bin.glb"), bad);
        ExpectRefused(dir_.File("bin.glb"));
    }
    {
        std::vector<uint8_t> bad = glb;
        bad[8] += 4;  // total length beyond the file
        WriteFile(dir_.File("len.glb"), bad);
        ExpectRefused(dir_.File("len.glb"));
    }
    WriteFile(dir_.File("magic.glb"), std::string("glTF"));
    ExpectRefused(dir_.File("magic.glb"));
}

// Every truncation of a binary file, and a byte changed at every position of
// a text file: each either loads a consistent model or is refused.
TEST_F(GltfMalformed, TruncatedAndCorruptedFilesNeverBreakTheLoader) {
    const std::vector<uint8_t> glb = OneTriangle().ToGlb();
    testing::internal::CaptureStderr();
    for (size_t size = 0; size < glb.size(); ++size) {
        WriteFile(dir_.File("cut.glb"), std::vector<uint8_t>(glb.begin(), glb.begin() + size));
        FwModel model;
        EXPECT_FALSE(model.Load(dir_.File("cut.glb"))) << "size " << size;
    }
    const std::string text = OneTriangle().ToText();
    int loaded = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        std::string bad = text;
        bad[i] = i % 2 ? '9' : '"';  // digits change numbers, quotes break structure
        WriteFile(dir_.File("mutated.gltf"), bad);
        FwModel model;
        if (model.Load(dir_.File("mutated.gltf"))) {
            ++loaded;
            ExpectConsistent(model);
        }
    }
    testing::internal::GetCapturedStderr();
    EXPECT_GT(loaded, 0);  // harmless changes (names, padding digits) still load
}

// Buffer files are read only from the model's own folder: a relative name
// there loads, one that climbs out ("..") or is absolute is refused even
// when the file exists.
TEST_F(GltfMalformed, BufferFilesOutsideTheModelFolderAreNotRead) {
    GltfBuilder b = OneTriangle();
    std::string text = b.ToText();
    const json doc = json::parse(text);
    const std::string uri = doc["buffers"][0]["uri"];
    const std::vector<uint8_t> bin = Base64Decode(uri.substr(uri.find(',') + 1));
    std::filesystem::create_directories(dir_.File("models"));
    WriteFile(dir_.File("models/inside.bin"), bin);
    WriteFile(dir_.File("outside.bin"), bin);

    auto withBuffer = [&doc](const std::string& name) {
        json copy = doc;
        copy["buffers"][0]["uri"] = name;
        return copy.dump();
    };
    WriteFile(dir_.File("models/inside.gltf"), withBuffer("inside.bin"));
    FwModel model;
    EXPECT_TRUE(model.Load(dir_.File("models/inside.gltf"))) << model.LoadError();

    for (const std::string& name : {std::string("../outside.bin"), dir_.File("outside.bin")}) {
        SCOPED_TRACE(name);
        WriteFile(dir_.File("models/out.gltf"), withBuffer(name));
        ExpectRefused(dir_.File("models/out.gltf"));
    }
}

// A pipe or a folder in the model's place is refused at once (reading a
// pipe would block the game), as is a file over the size limit.
TEST_F(GltfMalformed, OnlyRegularFilesOfBoundedSizeAreRead) {
    ASSERT_EQ(::mkfifo(dir_.File("pipe.gltf").c_str(), 0600), 0);
    EXPECT_NE(ExpectRefused(dir_.File("pipe.gltf")).find("not a regular file"), std::string::npos);
    std::filesystem::create_directory(dir_.File("folder.gltf"));
    EXPECT_NE(ExpectRefused(dir_.File("folder.gltf")).find("not a regular file"), std::string::npos);
    WriteFile(dir_.File("huge.gltf"), OneTriangle().ToText());
    std::filesystem::resize_file(dir_.File("huge.gltf"), FwGLTFLimits::kMaxFileBytes + 1);  // sparse
    EXPECT_NE(ExpectRefused(dir_.File("huge.gltf")).find("larger than"), std::string::npos);
}

// Every node holds its own copy of its mesh, so a small file whose nodes all
// name one mesh would multiply it without end: the vertices over the whole
// model are capped.
TEST_F(GltfMalformed, OneMeshNamedByManyNodesIsCappedInAll) {
    GltfBuilder b;
    const size_t vertices = 4096;
    const int pos = b.AddData(std::vector<float>(vertices * 3, 0.5f), kFloat, "VEC3", vertices);
    b.Doc()["meshes"] = json::array({{{"primitives", {{{"attributes", {{"POSITION", pos}}}}}}}});
    const size_t nodes = FwGLTFLimits::kMaxVertices / vertices + 1;
    b.Doc()["nodes"] = json::array();
    for (size_t i = 0; i < nodes; ++i) b.Doc()["nodes"].push_back({{"mesh", 0}});
    const std::string err = ExpectRefusedText(b.ToText());
    EXPECT_NE(err.find("more than 1048576 vertices"), std::string::npos) << err;

    // One node fewer stays within the cap and loads.
    b.Doc()["nodes"].erase(b.Doc()["nodes"].size() - 1);
    WriteFile(dir_.File("within.gltf"), b.ToText());
    FwModel model;
    EXPECT_TRUE(model.Load(dir_.File("within.gltf"))) << model.LoadError();
    EXPECT_EQ(model.Nodes().size(), nodes - 1);
}
