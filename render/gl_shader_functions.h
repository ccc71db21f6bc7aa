#pragma once
// The OpenGL 2.0 entry points the ray caster needs (shaders, 3D textures, texture units), looked
// up in the current context: OpenGL 1.1 headers and libraries do not offer them directly.

#include <GL/gl.h>
#include <GL/glext.h>

#include <functional>
#include <string>

namespace lumetrix {

struct GlShaderFunctions {
  PFNGLCREATESHADERPROC CreateShader = nullptr;
  PFNGLSHADERSOURCEPROC ShaderSource = nullptr;
  PFNGLCOMPILESHADERPROC CompileShader = nullptr;
  PFNGLGETSHADERIVPROC GetShaderiv = nullptr;
  PFNGLGETSHADERINFOLOGPROC GetShaderInfoLog = nullptr;
  PFNGLDELETESHADERPROC DeleteShader = nullptr;
  PFNGLCREATEPROGRAMPROC CreateProgram = nullptr;
  PFNGLATTACHSHADERPROC AttachShader = nullptr;
  PFNGLLINKPROGRAMPROC LinkProgram = nullptr;
  PFNGLGETPROGRAMIVPROC GetProgramiv = nullptr;
  PFNGLGETPROGRAMINFOLOGPROC GetProgramInfoLog = nullptr;
  PFNGLDELETEPROGRAMPROC DeleteProgram = nullptr;
  PFNGLUSEPROGRAMPROC UseProgram = nullptr;
  PFNGLGETUNIFORMLOCATIONPROC GetUniformLocation = nullptr;
  PFNGLUNIFORM1IPROC Uniform1i = nullptr;
  PFNGLUNIFORM1FPROC Uniform1f = nullptr;
  PFNGLUNIFORM2FPROC Uniform2f = nullptr;
  PFNGLUNIFORM3FPROC Uniform3f = nullptr;
  PFNGLUNIFORM4FPROC Uniform4f = nullptr;
  PFNGLACTIVETEXTUREPROC ActiveTexture = nullptr;
  PFNGLTEXIMAGE3DPROC TexImage3D = nullptr;
  PFNGLTEXSUBIMAGE3DPROC TexSubImage3D = nullptr;
  PFNGLUNIFORM3FVPROC Uniform3fv = nullptr;

  using GlProc = void (*)();
  using Lookup = std::function<GlProc(const char*)>;
  // Looks every entry point up; false, with the reason in words, when the context lacks
  // OpenGL 2.0 with GLSL 1.20 or one of the entry points.
  bool Load(const Lookup& lookup, std::string& why);
};

}  // namespace lumetrix
