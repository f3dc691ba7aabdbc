// The desktop calls of the renderer over OpenGL ES 3.0 / WebGL 2 (see FwGLES.h).
#ifdef __EMSCRIPTEN__

#include "framework/render/FwGLES.h"

#include <emscripten/html5.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

// Below, the ES 3.0 functions of the same names are meant.
#undef glBindFramebuffer
#undef glBindVertexArray
#undef glDeleteBuffers
#undef glDeleteVertexArrays
#undef glDeleteTextures
#undef glDrawArrays

// WebGL 2 reads buffer contents back with this call (not part of ES 3.0).
extern "C" void glGetBufferSubData(GLenum target, GLintptr offset, GLsizeiptr size, void* data);

namespace {

// A texture unit past the sixteen the renderer binds, never sampled: textures
// are edited there. ES 3.0 guarantees 32 combined units.
constexpr GLuint kEditUnit = 31;

struct Attribute {
    bool enabled = false;
    GLint size = 0;
    GLenum type = GL_FLOAT;
    GLboolean normalized = GL_FALSE;
    GLuint offset = 0;
};
constexpr int kAttributes = 4;

struct VertexArray {
    Attribute attributes[kAttributes];
    GLuint buffer = 0;
    GLintptr offset = 0;
    GLsizei stride = 0;
    GLintptr pointedOffset = -1;  // the offset the attribute pointers were last set for
    GLuint pointedBuffer = 0;
    GLuint elementBuffer = 0;
};

struct State {
    std::unordered_set<GLuint> indexBuffers;
    std::unordered_map<GLuint, VertexArray> vertexArrays;
    GLuint vertexArray = 0;   // bound through BindVertexArray
    GLuint drawFramebuffer = 0;
    GLuint activeUnit = 0;
    GLuint editFramebuffer = 0;  // for reading whole textures
    std::unordered_map<GLuint, std::pair<GLsizei, GLsizei>> textureSizes;
};

State& S() {
    static State state;
    return state;
}

void ActiveUnit(GLuint unit) {
    State& s = S();
    if (s.activeUnit == unit) return;
    glActiveTexture(GL_TEXTURE0 + unit);
    s.activeUnit = unit;
}

void EditTexture(GLuint texture) {
    ActiveUnit(kEditUnit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

// Writes go through the element binding of vertex array 0 for index buffers
// (binding it there leaves the renderer's vertex arrays alone).
template <class F>
void WithBuffer(GLuint buffer, F&& f) {
    State& s = S();
    if (s.indexBuffers.count(buffer)) {
        glBindVertexArray(0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
        f(GL_ELEMENT_ARRAY_BUFFER);
        glBindVertexArray(s.vertexArray);
    } else {
        glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
        f(GL_COPY_WRITE_BUFFER);
    }
}

void PointAttributes(GLuint vao, VertexArray& va, GLintptr offset) {
    if (va.buffer == 0) return;
    if (va.pointedBuffer == va.buffer && va.pointedOffset == offset) return;
    glBindBuffer(GL_ARRAY_BUFFER, va.buffer);
    for (GLuint i = 0; i < kAttributes; ++i) {
        const Attribute& a = va.attributes[i];
        if (!a.enabled) continue;
        const auto* pointer = reinterpret_cast<const void*>(static_cast<uintptr_t>(offset + a.offset));
        glVertexAttribPointer(i, a.size, a.type, a.normalized, va.stride, pointer);
    }
    va.pointedBuffer = va.buffer;
    va.pointedOffset = offset;
}

// Runs f with vao bound, and the renderer's vertex array bound again after.
template <class F>
void WithVertexArray(GLuint vao, F&& f) {
    State& s = S();
    if (s.vertexArray != vao) glBindVertexArray(vao);
    f(s.vertexArrays[vao]);
    if (s.vertexArray != vao) glBindVertexArray(s.vertexArray);
}

}  // namespace

namespace FwGLES {

bool ContextCurrent() { return emscripten_webgl_get_current_context() != 0; }

void MarkIndexBuffer(GLuint name) { S().indexBuffers.insert(name); }

void CreateBuffers(GLsizei n, GLuint* names) { glGenBuffers(n, names); }

void NamedBufferData(GLuint buffer, GLsizeiptr size, const void* data, GLenum usage) {
    WithBuffer(buffer, [&](GLenum target) { glBufferData(target, size, data, usage); });
}

void NamedBufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, const void* data) {
    WithBuffer(buffer, [&](GLenum target) { glBufferSubData(target, offset, size, data); });
}

void GetNamedBufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, void* data) {
    WithBuffer(buffer, [&](GLenum target) { glGetBufferSubData(target, offset, size, data); });
}

void DeleteBuffers(GLsizei n, const GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) {
        S().indexBuffers.erase(names[i]);
        for (auto& [vao, va] : S().vertexArrays) {
            if (va.buffer == names[i]) va.buffer = 0;
            if (va.pointedBuffer == names[i]) va.pointedBuffer = 0;
        }
    }
    glDeleteBuffers(n, names);
}

void CreateTextures(GLenum target, GLsizei n, GLuint* names) {
    glGenTextures(n, names);
    for (GLsizei i = 0; i < n; ++i) EditTexture(names[i]);  // a name becomes a texture when first bound
}

void TextureStorage2D(GLuint texture, GLsizei levels, GLenum format, GLsizei width, GLsizei height) {
    S().textureSizes[texture] = {width, height};
    EditTexture(texture);
    glTexStorage2D(GL_TEXTURE_2D, levels, format, width, height);
}

void TextureSubImage2D(GLuint texture, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                       GLenum type, const void* pixels) {
    EditTexture(texture);
    glTexSubImage2D(GL_TEXTURE_2D, level, x, y, width, height, format, type, pixels);
}

void GenerateTextureMipmap(GLuint texture) {
    EditTexture(texture);
    glGenerateMipmap(GL_TEXTURE_2D);
}

void BindTextureUnit(GLuint unit, GLuint texture) {
    ActiveUnit(unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

// Reads level 0 of an RGBA8 texture through a framebuffer of its own.
void GetTextureImage(GLuint texture, GLint level, GLenum format, GLenum type, GLsizei size, void* pixels) {
    State& s = S();
    auto found = s.textureSizes.find(texture);
    if (found == s.textureSizes.end()) return;
    const GLsizei width = found->second.first;
    const GLsizei rows = std::min<GLsizei>(found->second.second, size / std::max<GLsizei>(1, width * 4));
    if (s.editFramebuffer == 0) glGenFramebuffers(1, &s.editFramebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.editFramebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
    glReadPixels(0, 0, width, rows, format, type, pixels);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
}

void CreateFramebuffers(GLsizei n, GLuint* names) {
    glGenFramebuffers(n, names);
    for (GLsizei i = 0; i < n; ++i) glBindFramebuffer(GL_READ_FRAMEBUFFER, names[i]);
}

void BindFramebuffer(GLenum target, GLuint framebuffer) {
    if (target == GL_DRAW_FRAMEBUFFER || target == GL_FRAMEBUFFER) S().drawFramebuffer = framebuffer;
    glBindFramebuffer(target, framebuffer);
}

void NamedFramebufferTexture(GLuint framebuffer, GLenum attachment, GLuint texture, GLint level) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture, level);
}

void NamedFramebufferDrawBuffer(GLuint framebuffer, GLenum buffer) {
    State& s = S();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glDrawBuffers(1, &buffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.drawFramebuffer);
}

void NamedFramebufferReadBuffer(GLuint framebuffer, GLenum buffer) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(buffer);
}

GLenum CheckNamedFramebufferStatus(GLuint framebuffer, GLenum target) {
    (void)target;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    return glCheckFramebufferStatus(GL_READ_FRAMEBUFFER);
}

void ClearNamedFramebufferfv(GLuint framebuffer, GLenum buffer, GLint drawBuffer, const GLfloat* value) {
    State& s = S();
    if (framebuffer != s.drawFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    // The default framebuffer's colour buffer is GL_BACK; a clear names it by its index 0.
    glClearBufferfv(buffer, drawBuffer, value);
    if (framebuffer != s.drawFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.drawFramebuffer);
}

void BlitNamedFramebuffer(GLuint read, GLuint draw, GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0,
                          GLint dx1, GLint dy1, GLbitfield mask, GLenum filter) {
    State& s = S();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    if (draw != s.drawFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    glBlitFramebuffer(sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter);
    if (draw != s.drawFramebuffer) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.drawFramebuffer);
}

void CreateVertexArrays(GLsizei n, GLuint* names) {
    glGenVertexArrays(n, names);
    for (GLsizei i = 0; i < n; ++i) S().vertexArrays[names[i]] = VertexArray{};
}

void DeleteVertexArrays(GLsizei n, const GLuint* names) {
    State& s = S();
    for (GLsizei i = 0; i < n; ++i) {
        s.vertexArrays.erase(names[i]);
        if (s.vertexArray == names[i]) s.vertexArray = 0;
    }
    glDeleteVertexArrays(n, names);
}

void BindVertexArray(GLuint vao) {
    S().vertexArray = vao;
    glBindVertexArray(vao);
}

void EnableVertexArrayAttrib(GLuint vao, GLuint index) {
    if (index >= kAttributes) return;
    WithVertexArray(vao, [&](VertexArray& va) {
        va.attributes[index].enabled = true;
        va.pointedOffset = -1;
        glEnableVertexAttribArray(index);
    });
}

void VertexArrayAttribFormat(GLuint vao, GLuint index, GLint size, GLenum type, GLboolean normalized,
                             GLuint relativeOffset) {
    if (index >= kAttributes) return;
    VertexArray& va = S().vertexArrays[vao];
    va.attributes[index].size = size;
    va.attributes[index].type = type;
    va.attributes[index].normalized = normalized;
    va.attributes[index].offset = relativeOffset;
    va.pointedOffset = -1;
}

// Every attribute reads binding 0, the only one the renderer uses.
void VertexArrayAttribBinding(GLuint, GLuint, GLuint) {}

void VertexArrayVertexBuffer(GLuint vao, GLuint binding, GLuint buffer, GLintptr offset, GLsizei stride) {
    (void)binding;
    WithVertexArray(vao, [&](VertexArray& va) {
        if (va.stride != stride) va.pointedOffset = -1;
        va.buffer = buffer;
        va.offset = offset;
        va.stride = stride;
        PointAttributes(vao, va, offset);
    });
}

void VertexArrayElementBuffer(GLuint vao, GLuint buffer) {
    WithVertexArray(vao, [&](VertexArray& va) {
        if (va.elementBuffer == buffer) return;
        va.elementBuffer = buffer;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    });
}

// ES 3.0 has no base vertex: the attributes are pointed base vertices further
// on for the draw.
void DrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint baseVertex) {
    State& s = S();
    auto found = s.vertexArrays.find(s.vertexArray);
    if (found == s.vertexArrays.end()) return;
    VertexArray& va = found->second;
    PointAttributes(s.vertexArray, va, va.offset + static_cast<GLintptr>(baseVertex) * va.stride);
    glDrawElements(mode, count, type, indices);
}

void DrawArrays(GLenum mode, GLint first, GLsizei count) {
    State& s = S();
    auto found = s.vertexArrays.find(s.vertexArray);
    if (found != s.vertexArrays.end()) PointAttributes(s.vertexArray, found->second, found->second.offset);
    glDrawArrays(mode, first, count);
}

void DeleteTextures(GLsizei n, const GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) S().textureSizes.erase(names[i]);
    glDeleteTextures(n, names);
}

void CreateSamplers(GLsizei n, GLuint* names) { glGenSamplers(n, names); }

}  // namespace FwGLES

#endif  // __EMSCRIPTEN__
