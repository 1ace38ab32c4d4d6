#pragma once
// The OpenGL 2 entry points the renderer uses, loaded by name through a
// function the platform hands in. No GL library is linked: the platform's
// context decides which implementation answers.
#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define FX_GLAPI __stdcall
#else
#define FX_GLAPI
#endif

namespace fx::vg {

using GLenum = unsigned int;
using GLuint = unsigned int;
using GLint = int;
using GLsizei = int;
using GLboolean = unsigned char;
using GLbitfield = unsigned int;
using GLfloat = float;
using GLchar = char;
using GLubyte = unsigned char;
using GLsizeiptr = std::ptrdiff_t;

namespace gl {
inline constexpr GLenum kZero = 0;
inline constexpr GLenum kOne = 1;
inline constexpr GLenum kSrcColor = 0x0300;
inline constexpr GLenum kOneMinusSrcColor = 0x0301;
inline constexpr GLenum kSrcAlpha = 0x0302;
inline constexpr GLenum kOneMinusSrcAlpha = 0x0303;
inline constexpr GLenum kDstAlpha = 0x0304;
inline constexpr GLenum kOneMinusDstAlpha = 0x0305;
inline constexpr GLenum kDstColor = 0x0306;
inline constexpr GLenum kOneMinusDstColor = 0x0307;
inline constexpr GLenum kSrcAlphaSaturate = 0x0308;
inline constexpr GLenum kTriangles = 0x0004;
inline constexpr GLenum kNever = 0x0200;
inline constexpr GLenum kEqual = 0x0202;
inline constexpr GLenum kNotEqual = 0x0205;
inline constexpr GLenum kAlways = 0x0207;
inline constexpr GLenum kFront = 0x0404;
inline constexpr GLenum kBack = 0x0405;
inline constexpr GLenum kCullFace = 0x0B44;
inline constexpr GLenum kDepthTest = 0x0B71;
inline constexpr GLenum kStencilTest = 0x0B90;
inline constexpr GLenum kBlend = 0x0BE2;
inline constexpr GLenum kScissorTest = 0x0C11;
inline constexpr GLenum kUnpackAlignment = 0x0CF5;
inline constexpr GLenum kPackAlignment = 0x0D05;
inline constexpr GLenum kMaxTextureSize = 0x0D33;
inline constexpr GLenum kViewport = 0x0BA2;
inline constexpr GLenum kTexture2D = 0x0DE1;
inline constexpr GLenum kUnsignedByte = 0x1401;
inline constexpr GLenum kFloat = 0x1406;
inline constexpr GLenum kAlpha = 0x1906;
inline constexpr GLenum kRgba = 0x1908;
inline constexpr GLenum kKeep = 0x1E00;
inline constexpr GLenum kReplace = 0x1E01;
inline constexpr GLenum kIncr = 0x1E02;
inline constexpr GLenum kVersion = 0x1F02;
inline constexpr GLenum kRenderer = 0x1F01;
inline constexpr GLenum kNearest = 0x2600;
inline constexpr GLenum kLinear = 0x2601;
inline constexpr GLenum kTextureMagFilter = 0x2800;
inline constexpr GLenum kTextureMinFilter = 0x2801;
inline constexpr GLenum kTextureWrapS = 0x2802;
inline constexpr GLenum kTextureWrapT = 0x2803;
inline constexpr GLenum kRepeat = 0x2901;
inline constexpr GLenum kClampToEdge = 0x812F;
inline constexpr GLenum kRgba8 = 0x8058;
inline constexpr GLenum kTexture0 = 0x84C0;
inline constexpr GLenum kIncrWrap = 0x8507;
inline constexpr GLenum kDecrWrap = 0x8508;
inline constexpr GLenum kArrayBuffer = 0x8892;
inline constexpr GLenum kStreamDraw = 0x88E0;
inline constexpr GLenum kFragmentShader = 0x8B30;
inline constexpr GLenum kVertexShader = 0x8B31;
inline constexpr GLenum kCompileStatus = 0x8B81;
inline constexpr GLenum kLinkStatus = 0x8B82;
inline constexpr GLenum kTextureBinding2D = 0x8069;
inline constexpr GLenum kArrayBufferBinding = 0x8894;
inline constexpr GLenum kCurrentProgram = 0x8B8D;
inline constexpr GLenum kFramebufferBinding = 0x8CA6;   // 36006
inline constexpr GLenum kRenderbufferBinding = 0x8CA7;  // 36007
inline constexpr GLenum kFramebufferComplete = 0x8CD5;  // 36053
inline constexpr GLenum kColorAttachment0 = 0x8CE0;
inline constexpr GLenum kDepthAttachment = 0x8D00;
inline constexpr GLenum kStencilAttachment = 0x8D20;
inline constexpr GLenum kFramebuffer = 0x8D40;          // 36160
inline constexpr GLenum kRenderbuffer = 0x8D41;
inline constexpr GLenum kStencilIndex8 = 0x8D48;        // 36168
inline constexpr GLenum kDepth24Stencil8 = 0x88F0;      // 35056
inline constexpr GLbitfield kColorBufferBit = 0x4000;
inline constexpr GLbitfield kDepthBufferBit = 0x0100;
inline constexpr GLbitfield kStencilBufferBit = 0x0400;
}  // namespace gl

// A generic function pointer: what eglGetProcAddress, glXGetProcAddress and
// wglGetProcAddress all return, cast to the real type once loaded.
using GlProc = void (*)();
using GlProcLoader = GlProc (*)(const char* name, void* user);

struct GlApi {
#define FX_GL_FUNCTIONS(X)                                                                     \
  X(void, ActiveTexture, (GLenum))                                                             \
  X(void, AttachShader, (GLuint, GLuint))                                                      \
  X(void, BindAttribLocation, (GLuint, GLuint, const GLchar*))                                 \
  X(void, BindBuffer, (GLenum, GLuint))                                                        \
  X(void, BindTexture, (GLenum, GLuint))                                                       \
  X(void, BlendFuncSeparate, (GLenum, GLenum, GLenum, GLenum))                                 \
  X(void, BufferData, (GLenum, GLsizeiptr, const void*, GLenum))                               \
  X(void, Clear, (GLbitfield))                                                                 \
  X(void, ClearColor, (GLfloat, GLfloat, GLfloat, GLfloat))                                    \
  X(void, ClearStencil, (GLint))                                                               \
  X(void, ColorMask, (GLboolean, GLboolean, GLboolean, GLboolean))                             \
  X(void, CompileShader, (GLuint))                                                             \
  X(GLuint, CreateProgram, ())                                                                 \
  X(GLuint, CreateShader, (GLenum))                                                            \
  X(void, DeleteBuffers, (GLsizei, const GLuint*))                                             \
  X(void, DeleteProgram, (GLuint))                                                             \
  X(void, DeleteShader, (GLuint))                                                              \
  X(void, DeleteTextures, (GLsizei, const GLuint*))                                            \
  X(void, Disable, (GLenum))                                                                   \
  X(void, DisableVertexAttribArray, (GLuint))                                                  \
  X(void, DrawArrays, (GLenum, GLint, GLsizei))                                                \
  X(void, Enable, (GLenum))                                                                    \
  X(void, EnableVertexAttribArray, (GLuint))                                                   \
  X(void, Finish, ())                                                                          \
  X(void, GenBuffers, (GLsizei, GLuint*))                                                      \
  X(void, GenTextures, (GLsizei, GLuint*))                                                     \
  X(GLenum, GetError, ())                                                                      \
  X(void, GetIntegerv, (GLenum, GLint*))                                                       \
  X(void, GetProgramInfoLog, (GLuint, GLsizei, GLsizei*, GLchar*))                             \
  X(void, GetProgramiv, (GLuint, GLenum, GLint*))                                              \
  X(void, GetShaderInfoLog, (GLuint, GLsizei, GLsizei*, GLchar*))                              \
  X(void, GetShaderiv, (GLuint, GLenum, GLint*))                                               \
  X(const GLubyte*, GetString, (GLenum))                                                       \
  X(GLint, GetUniformLocation, (GLuint, const GLchar*))                                        \
  X(GLboolean, IsBuffer, (GLuint))                                                             \
  X(GLboolean, IsProgram, (GLuint))                                                            \
  X(GLboolean, IsShader, (GLuint))                                                             \
  X(GLboolean, IsTexture, (GLuint))                                                            \
  X(void, LinkProgram, (GLuint))                                                               \
  X(void, PixelStorei, (GLenum, GLint))                                                        \
  X(void, ReadPixels, (GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*))                 \
  X(void, Scissor, (GLint, GLint, GLsizei, GLsizei))                                          \
  X(void, ShaderSource, (GLuint, GLsizei, const GLchar* const*, const GLint*))                 \
  X(void, StencilFunc, (GLenum, GLint, GLuint))                                                \
  X(void, StencilMask, (GLuint))                                                               \
  X(void, StencilOp, (GLenum, GLenum, GLenum))                                                 \
  X(void, StencilOpSeparate, (GLenum, GLenum, GLenum, GLenum))                                 \
  X(void, TexImage2D, (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)) \
  X(void, TexParameteri, (GLenum, GLenum, GLint))                                              \
  X(void, TexSubImage2D, (GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*)) \
  X(void, Uniform1i, (GLint, GLint))                                                           \
  X(void, Uniform2f, (GLint, GLfloat, GLfloat))                                                \
  X(void, Uniform4fv, (GLint, GLsizei, const GLfloat*))                                        \
  X(void, UseProgram, (GLuint))                                                                \
  X(void, VertexAttribPointer, (GLuint, GLint, GLenum, GLboolean, GLsizei, const void*))      \
  X(void, Viewport, (GLint, GLint, GLsizei, GLsizei))

// Frame-buffer objects: core since 3.0, an extension on older 2.x drivers.
#define FX_GL_FBO_FUNCTIONS(X)                                                                 \
  X(void, BindFramebuffer, (GLenum, GLuint))                                                   \
  X(void, BindRenderbuffer, (GLenum, GLuint))                                                  \
  X(GLenum, CheckFramebufferStatus, (GLenum))                                                  \
  X(void, DeleteFramebuffers, (GLsizei, const GLuint*))                                        \
  X(void, DeleteRenderbuffers, (GLsizei, const GLuint*))                                       \
  X(void, FramebufferRenderbuffer, (GLenum, GLenum, GLenum, GLuint))                           \
  X(void, FramebufferTexture2D, (GLenum, GLenum, GLenum, GLuint, GLint))                       \
  X(void, GenFramebuffers, (GLsizei, GLuint*))                                                 \
  X(void, GenRenderbuffers, (GLsizei, GLuint*))                                                \
  X(GLboolean, IsFramebuffer, (GLuint))                                                        \
  X(GLboolean, IsRenderbuffer, (GLuint))                                                       \
  X(void, RenderbufferStorage, (GLenum, GLenum, GLsizei, GLsizei))

#define FX_GL_DECLARE(ret, name, args) ret(FX_GLAPI* name) args = nullptr;
  FX_GL_FUNCTIONS(FX_GL_DECLARE)
  FX_GL_FBO_FUNCTIONS(FX_GL_DECLARE)
#undef FX_GL_DECLARE

  // Loads every entry point; false (with the first missing name) if any is absent.
  bool load(GlProcLoader loader, void* user);
  const char* missing = nullptr;
};

}  // namespace fx::vg
