// Helpers of the model, resource and render tests: base64, a small glTF
// writer (text with a data-URI buffer, or binary), a one-triangle model made
// with it, and a raw accessor reader that works straight from the JSON,
// independent of the loader under test.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace gltftest {

using nlohmann::json;

constexpr int kByte = 5120, kUByte = 5121, kShort = 5122, kUShort = 5123, kUInt = 5125, kFloat = 5126;

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline const char* kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

inline std::string Base64Encode(const std::vector<uint8_t>& data) {
    std::string out;
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t n = uint32_t(data[i]) << 16;
        if (i + 1 < data.size()) n |= uint32_t(data[i + 1]) << 8;
        if (i + 2 < data.size()) n |= data[i + 2];
        out += kBase64[(n >> 18) & 63];
        out += kBase64[(n >> 12) & 63];
        out += i + 1 < data.size() ? kBase64[(n >> 6) & 63] : '=';
        out += i + 2 < data.size() ? kBase64[n & 63] : '=';
    }
    return out;
}

inline std::vector<uint8_t> Base64Decode(const std::string& text) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const char* p = std::strchr(kBase64, c);
        if (c == '=' || c == '\0' || !p) continue;
        bits = (bits << 6) | uint32_t(p - kBase64);
        if (++count == 4) {
            out.push_back(uint8_t(bits >> 16));
            out.push_back(uint8_t(bits >> 8));
            out.push_back(uint8_t(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 3) {
        out.push_back(uint8_t(bits >> 10));
        out.push_back(uint8_t(bits >> 2));
    } else if (count == 2) {
        out.push_back(uint8_t(bits >> 4));
    }
    return out;
}

// A 2 x 2 24-bit BMP (stb_image reads it), written by hand: top row blue,
// bottom row red and green.
inline std::vector<uint8_t> TinyBmp() {
    std::vector<uint8_t> out = {'B', 'M'};
    auto u32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    auto u16 = [&out](uint16_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    const uint32_t rowBytes = 8;  // 2 pixels x 3 bytes, padded to 4
    for (uint32_t v : {54 + 2 * rowBytes, 0u, 54u, 40u, 2u, 2u}) u32(v);
    u16(1);
    u16(24);
    for (uint32_t v : {0u, 2 * rowBytes, 2835u, 2835u, 0u, 0u}) u32(v);
    out.insert(out.end(), {0, 0, 255, 0, 255, 0, 0, 0});      // bottom row (BGR)
    out.insert(out.end(), {255, 0, 0, 255, 0, 0, 0, 0});      // top row
    return out;
}

// Builds a glTF document around one binary buffer.
class GltfBuilder {
public:
    GltfBuilder() {
        doc_ = {{"asset", {{"version", "2.0"}}}, {"bufferViews", json::array()}, {"accessors", json::array()}};
    }

    // Appends raw bytes (4-byte aligned) as a new buffer view; returns its index.
    template <typename T>
    int AddView(const std::vector<T>& values, size_t byteStride = 0) {
        while (bin_.size() % 4) bin_.push_back(0);
        const size_t offset = bin_.size();
        const auto* p = reinterpret_cast<const uint8_t*>(values.data());
        bin_.insert(bin_.end(), p, p + values.size() * sizeof(T));
        json view = {{"buffer", 0}, {"byteOffset", offset}, {"byteLength", values.size() * sizeof(T)}};
        if (byteStride) view["byteStride"] = byteStride;
        doc_["bufferViews"].push_back(view);
        return int(doc_["bufferViews"].size()) - 1;
    }
    int AddAccessor(int view, size_t byteOffset, int componentType, size_t count, const std::string& type) {
        doc_["accessors"].push_back({{"bufferView", view},
                                     {"byteOffset", byteOffset},
                                     {"componentType", componentType},
                                     {"count", count},
                                     {"type", type}});
        return int(doc_["accessors"].size()) - 1;
    }
    // Shorthand: a tightly packed accessor over its own view.
    template <typename T>
    int AddData(const std::vector<T>& values, int componentType, const std::string& type, size_t count) {
        return AddAccessor(AddView(values), 0, componentType, count, type);
    }

    json& Doc() { return doc_; }

    std::string ToText() const {
        json doc = doc_;
        if (!bin_.empty())
            doc["buffers"] = json::array(
                {{{"byteLength", bin_.size()}, {"uri", "data:application/octet-stream;base64," + Base64Encode(bin_)}}});
        return doc.dump();
    }

    std::vector<uint8_t> ToGlb() const {
        json doc = doc_;
        if (!bin_.empty()) doc["buffers"] = json::array({{{"byteLength", bin_.size()}}});
        std::string text = doc.dump();
        while (text.size() % 4) text += ' ';
        std::vector<uint8_t> bin = bin_;
        while (bin.size() % 4) bin.push_back(0);
        std::vector<uint8_t> out;
        auto u32 = [&out](uint32_t v) {
            for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
        };
        out.insert(out.end(), {'g', 'l', 'T', 'F'});
        u32(2);
        u32(uint32_t(12 + 8 + text.size() + (bin.empty() ? 0 : 8 + bin.size())));
        u32(uint32_t(text.size()));
        u32(0x4E4F534A);
        out.insert(out.end(), text.begin(), text.end());
        if (bin.empty()) return out;
        u32(uint32_t(bin.size()));
        u32(0x004E4942);
        out.insert(out.end(), bin.begin(), bin.end());
        return out;
    }

private:
    json doc_;
    std::vector<uint8_t> bin_;
};

// A valid model of one triangle (positions and 16-bit indices, one node).
inline GltfBuilder OneTriangle() {
    GltfBuilder b;
    const int pos = b.AddData(std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}, kFloat, "VEC3", 3);
    const int idx = b.AddData(std::vector<uint16_t>{0, 1, 2}, kUShort, "SCALAR", 3);
    b.Doc()["meshes"] = json::array({{{"primitives", {{{"attributes", {{"POSITION", pos}}}, {"indices", idx}}}}}});
    b.Doc()["nodes"] = json::array({{{"mesh", 0}}});
    b.Doc()["scenes"] = json::array({{{"nodes", {0}}}});
    return b;
}

// Reads accessor values straight from a text glTF with embedded buffers.
class RawGltf {
public:
    explicit RawGltf(const std::string& path) : doc_(json::parse(ReadFile(path))) {
        for (const auto& buffer : doc_["buffers"]) {
            const std::string uri = buffer["uri"];
            buffers_.push_back(Base64Decode(uri.substr(uri.find(',') + 1)));
        }
    }
    const json& Doc() const { return doc_; }

    // Component c of element i, as double, for float and integer types.
    double Value(int accessor, size_t i, int c) const {
        const json& a = doc_["accessors"][accessor];
        const json& v = doc_["bufferViews"][int(a["bufferView"])];
        const int type = a["componentType"];
        const size_t size = type == kFloat || type == kUInt ? 4 : type == kUShort || type == kShort ? 2 : 1;
        const size_t comps = Components(a["type"]);
        const size_t stride = v.value("byteStride", size_t(0)) ? size_t(v["byteStride"]) : size * comps;
        const size_t offset = v.value("byteOffset", size_t(0)) + a.value("byteOffset", size_t(0)) + i * stride + c * size;
        const uint8_t* p = buffers_[int(v["buffer"])].data() + offset;
        switch (type) {
            case kFloat: { float f; std::memcpy(&f, p, 4); return f; }
            case kUInt: { uint32_t u; std::memcpy(&u, p, 4); return u; }
            case kUShort: { uint16_t u; std::memcpy(&u, p, 2); return u; }
            case kUByte: return *p;
            default: return 0;
        }
    }
    size_t Count(int accessor) const { return doc_["accessors"][accessor]["count"]; }

private:
    static size_t Components(const std::string& type) {
        if (type == "SCALAR") return 1;
        if (type == "VEC2") return 2;
        if (type == "VEC3") return 3;
        return 4;
    }
    json doc_;
    std::vector<std::vector<uint8_t>> buffers_;
};

}  // namespace gltftest
