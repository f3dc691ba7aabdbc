// GPU buffer object: constant blocks, vertex and index buffers.
//
// Bind flags and usages keep the numeric values the game code was written
// with (vertex 1, index 2, constant 4; usage 0 default, 2 dynamic, 3 staging),
// so call sites read the same on every backend.
#pragma once

#include <cstdint>

namespace FwBind {
constexpr uint32_t Vertex = 1;
constexpr uint32_t Index = 2;
constexpr uint32_t Constant = 4;
}  // namespace FwBind

namespace FwUsage {
constexpr uint32_t Default = 0;
constexpr uint32_t Dynamic = 2;
constexpr uint32_t Staging = 3;
}  // namespace FwUsage

class FwBuffer {
public:
    FwBuffer() = default;
    ~FwBuffer();
    FwBuffer(const FwBuffer&) = delete;
    FwBuffer& operator=(const FwBuffer&) = delete;

    // Releases what it holds, then creates a buffer of byteSize bytes.
    // Refuses (false) a constant buffer whose size is not a multiple of 16.
    // initialData may be null (contents start zeroed).
    bool Create(uint32_t bindFlags, uint32_t byteSize, uint32_t usage, const void* initialData);
    // Replaces the contents. Data missing or longer than the buffer: the
    // buffer is zero-filled instead. A buffer never created is not written.
    void Write(const void* data, uint32_t byteCount);
    // Staging readers and tests: copies the first byteCount bytes into out.
    // False when the buffer was never created or is shorter than byteCount.
    bool Read(void* out, uint32_t byteCount) const;
    void Release();

    uint32_t Handle() const { return handle_; }  // GL buffer name, 0 when empty
    uint32_t ByteSize() const { return byteSize_; }
    uint32_t Usage() const { return usage_; }
    uint32_t BindFlags() const { return bindFlags_; }

private:
    uint32_t handle_ = 0;
    uint32_t byteSize_ = 0;
    uint32_t usage_ = 0;
    uint32_t bindFlags_ = 0;
    uint32_t generation_ = 0;  // device generation that created handle_
};
