// Internal to framework/render, web build only (included by FwGLApi.h): the
// desktop OpenGL 4.5 calls the renderer uses, written over OpenGL ES 3.0 /
// WebGL 2.
//
// ES 3.0 edits an object through a binding point ("bind to edit"); these
// functions bind the object they edit on a binding the renderer itself does
// not draw through, or rebind what the renderer had bound, so the renderer's
// view of the bound state is the same as with direct state access:
// - buffers are written through GL_COPY_WRITE_BUFFER, except index buffers:
//   WebGL fixes a buffer's kind at its first binding and an index buffer may
//   never be bound anywhere but GL_ELEMENT_ARRAY_BUFFER (so FwBuffer marks
//   them with FwGLES::MarkIndexBuffer before their first write);
// - textures are edited on a spare texture unit no shader samples;
// - framebuffers are edited on GL_READ_FRAMEBUFFER (the renderer reads only
//   through blits), and the draw framebuffer is rebound after a clear or blit;
// - a vertex array's attribute formats are kept here and turned into
//   glVertexAttribPointer calls when its vertex buffer is set, and again with
//   the vertex offset moved for a base-vertex draw, which ES 3.0 lacks.
#pragma once

#ifdef __EMSCRIPTEN__

#include <GLES3/gl3.h>

#include <cstdint>

namespace FwGLES {

// Whether a WebGL 2 context is current (FwDirect3D::Init checks it first).
bool ContextCurrent();
// FwBuffer::Create, before the first write: name is an index buffer.
void MarkIndexBuffer(GLuint name);
// The ES 3.0 forms of the desktop calls below.
void CreateBuffers(GLsizei n, GLuint* names);
void NamedBufferData(GLuint buffer, GLsizeiptr size, const void* data, GLenum usage);
void NamedBufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, const void* data);
void GetNamedBufferSubData(GLuint buffer, GLintptr offset, GLsizeiptr size, void* data);
void DeleteBuffers(GLsizei n, const GLuint* names);
void CreateTextures(GLenum target, GLsizei n, GLuint* names);
void TextureStorage2D(GLuint texture, GLsizei levels, GLenum format, GLsizei width, GLsizei height);
void TextureSubImage2D(GLuint texture, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                       GLenum type, const void* pixels);
void GenerateTextureMipmap(GLuint texture);
void BindTextureUnit(GLuint unit, GLuint texture);
void GetTextureImage(GLuint texture, GLint level, GLenum format, GLenum type, GLsizei size, void* pixels);
void CreateFramebuffers(GLsizei n, GLuint* names);
void BindFramebuffer(GLenum target, GLuint framebuffer);
void NamedFramebufferTexture(GLuint framebuffer, GLenum attachment, GLuint texture, GLint level);
void NamedFramebufferDrawBuffer(GLuint framebuffer, GLenum buffer);
void NamedFramebufferReadBuffer(GLuint framebuffer, GLenum buffer);
GLenum CheckNamedFramebufferStatus(GLuint framebuffer, GLenum target);
void ClearNamedFramebufferfv(GLuint framebuffer, GLenum buffer, GLint drawBuffer, const GLfloat* value);
void BlitNamedFramebuffer(GLuint read, GLuint draw, GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0,
                          GLint dx1, GLint dy1, GLbitfield mask, GLenum filter);
void CreateVertexArrays(GLsizei n, GLuint* names);
void DeleteVertexArrays(GLsizei n, const GLuint* names);
void BindVertexArray(GLuint vao);
void EnableVertexArrayAttrib(GLuint vao, GLuint index);
void VertexArrayAttribFormat(GLuint vao, GLuint index, GLint size, GLenum type, GLboolean normalized,
                             GLuint relativeOffset);
void VertexArrayAttribBinding(GLuint vao, GLuint index, GLuint binding);
void VertexArrayVertexBuffer(GLuint vao, GLuint binding, GLuint buffer, GLintptr offset, GLsizei stride);
void VertexArrayElementBuffer(GLuint vao, GLuint buffer);
void DrawElementsBaseVertex(GLenum mode, GLsizei count, GLenum type, const void* indices, GLint baseVertex);
void DrawArrays(GLenum mode, GLint first, GLsizei count);
void DeleteTextures(GLsizei n, const GLuint* names);
void CreateSamplers(GLsizei n, GLuint* names);

}  // namespace FwGLES

// Anisotropy is left off on the web (FwDirect3D never asks for it there).
#ifndef GL_TEXTURE_MAX_ANISOTROPY
#define GL_TEXTURE_MAX_ANISOTROPY 0x84FE
#endif

#define glCreateBuffers FwGLES::CreateBuffers
#define glNamedBufferData FwGLES::NamedBufferData
#define glNamedBufferSubData FwGLES::NamedBufferSubData
#define glGetNamedBufferSubData FwGLES::GetNamedBufferSubData
#define glDeleteBuffers FwGLES::DeleteBuffers
// Dynamic buffers are written whole every time; WebGL has no orphaning call.
#define glInvalidateBufferData(buffer) ((void)(buffer))
#define glCreateTextures FwGLES::CreateTextures
#define glTextureStorage2D FwGLES::TextureStorage2D
#define glTextureSubImage2D FwGLES::TextureSubImage2D
#define glGenerateTextureMipmap FwGLES::GenerateTextureMipmap
#define glBindTextureUnit FwGLES::BindTextureUnit
#define glGetTextureImage FwGLES::GetTextureImage
#define glCreateFramebuffers FwGLES::CreateFramebuffers
#define glBindFramebuffer FwGLES::BindFramebuffer
#define glNamedFramebufferTexture FwGLES::NamedFramebufferTexture
#define glNamedFramebufferDrawBuffer FwGLES::NamedFramebufferDrawBuffer
#define glNamedFramebufferReadBuffer FwGLES::NamedFramebufferReadBuffer
#define glCheckNamedFramebufferStatus FwGLES::CheckNamedFramebufferStatus
#define glClearNamedFramebufferfv FwGLES::ClearNamedFramebufferfv
#define glBlitNamedFramebuffer FwGLES::BlitNamedFramebuffer
#define glCreateVertexArrays FwGLES::CreateVertexArrays
#define glDeleteVertexArrays FwGLES::DeleteVertexArrays
#define glBindVertexArray FwGLES::BindVertexArray
#define glEnableVertexArrayAttrib FwGLES::EnableVertexArrayAttrib
#define glVertexArrayAttribFormat FwGLES::VertexArrayAttribFormat
#define glVertexArrayAttribBinding FwGLES::VertexArrayAttribBinding
#define glVertexArrayVertexBuffer FwGLES::VertexArrayVertexBuffer
#define glVertexArrayElementBuffer FwGLES::VertexArrayElementBuffer
#define glDrawElementsBaseVertex FwGLES::DrawElementsBaseVertex
#define glDrawArrays FwGLES::DrawArrays
#define glDeleteTextures FwGLES::DeleteTextures
#define glCreateSamplers FwGLES::CreateSamplers

#endif  // __EMSCRIPTEN__
