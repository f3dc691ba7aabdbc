#include "framework/render/FwBuffer.h"

#include "framework/render/FwGLApi.h"

#include <vector>

#include "framework/render/FwDirect3D.h"
#include "framework/render/FwGLState.h"

namespace {

GLenum UsageHint(uint32_t bindFlags, uint32_t usage) {
    // Constant blocks are rewritten every frame whatever their usage.
    if (bindFlags & FwBind::Constant) return GL_DYNAMIC_DRAW;
    switch (usage) {
        case FwUsage::Dynamic: return GL_DYNAMIC_DRAW;
        case FwUsage::Staging: return GL_STREAM_READ;
        default: return GL_STATIC_DRAW;
    }
}

void ZeroFill(GLuint handle, uint32_t byteSize) {
    std::vector<uint8_t> zeros(byteSize, 0);
    glNamedBufferSubData(handle, 0, byteSize, zeros.data());
}

}  // namespace

FwBuffer::~FwBuffer() { Release(); }

bool FwBuffer::Create(uint32_t bindFlags, uint32_t byteSize, uint32_t usage, const void* initialData) {
    Release();
    if ((bindFlags & FwBind::Constant) && byteSize % 16 != 0) return false;
    if (byteSize == 0 || !FwGL::Live()) return false;
    if (usage != FwUsage::Default && usage != FwUsage::Dynamic && usage != FwUsage::Staging) return false;

    GLuint handle = 0;
    glCreateBuffers(1, &handle);
    if (handle == 0) return false;
#ifdef __EMSCRIPTEN__
    if (bindFlags & FwBind::Index) FwGLES::MarkIndexBuffer(handle);
#endif
    // GL has no creation-time zeroing; a null initial data leaves the store
    // undefined, so zeros are written explicitly.
    std::vector<uint8_t> zeros;
    if (!initialData) {
        zeros.assign(byteSize, 0);
        initialData = zeros.data();
    }
    glNamedBufferData(handle, byteSize, initialData, UsageHint(bindFlags, usage));

    handle_ = handle;
    byteSize_ = byteSize;
    usage_ = usage;
    bindFlags_ = usage == FwUsage::Staging ? 0 : bindFlags;
    generation_ = FwGL::Generation();
    return true;
}

void FwBuffer::Write(const void* data, uint32_t byteCount) {
    if (handle_ == 0 || !FwGL::Owns(generation_)) return;
    if (!data || byteCount > byteSize_) {
        ZeroFill(handle_, byteSize_);
        return;
    }
    // Dynamic buffers are rewritten every draw: orphan the old store so the
    // driver need not wait for draws still reading it.
    if (usage_ == FwUsage::Dynamic) glInvalidateBufferData(handle_);
    // Only byteCount bytes are read from data; a shorter write leaves the
    // rest of the buffer as it was.
    if (byteCount > 0) glNamedBufferSubData(handle_, 0, byteCount, data);
}

bool FwBuffer::Read(void* out, uint32_t byteCount) const {
    if (handle_ == 0 || !out || byteCount > byteSize_ || !FwGL::Owns(generation_)) return false;
    if (byteCount > 0) glGetNamedBufferSubData(handle_, 0, byteCount, out);
    return true;
}

void FwBuffer::Release() {
    if (handle_ != 0 && FwGL::Owns(generation_)) {
        GLuint handle = handle_;
        glDeleteBuffers(1, &handle);
        FwDirect3D::GetInstance().ForgetBuffer(handle);
    }
    handle_ = 0;
    byteSize_ = 0;
    usage_ = 0;
    bindFlags_ = 0;
    generation_ = 0;
}
