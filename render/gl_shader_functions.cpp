#include "render/gl_shader_functions.h"

#include <cstdio>

namespace lumetrix {
namespace {

template <typename F>
bool Find(const GlShaderFunctions::Lookup& lookup, const char* name, F& out) {
  out = reinterpret_cast<F>(lookup(name));
  return out != nullptr;
}

}  // namespace

bool GlShaderFunctions::Load(const Lookup& lookup, std::string& why) {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  const char* glsl = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
  int major = 0, minor = 0, glsl_major = 0, glsl_minor = 0;
  if (version) std::sscanf(version, "%d.%d", &major, &minor);
  if (glsl) std::sscanf(glsl, "%d.%d", &glsl_major, &glsl_minor);
  if (major < 2 || glsl_major * 100 + glsl_minor < 120) {
    why = std::string("This OpenGL driver cannot ray-cast volumes: it offers OpenGL ") + (version ? version : "?") +
          " with GLSL " + (glsl ? glsl : "none") + ", and OpenGL 2.1 with GLSL 1.20 is needed.";
    return false;
  }
  const bool all = lookup && Find(lookup, "glCreateShader", CreateShader) && Find(lookup, "glShaderSource", ShaderSource) &&
                   Find(lookup, "glCompileShader", CompileShader) && Find(lookup, "glGetShaderiv", GetShaderiv) &&
                   Find(lookup, "glGetShaderInfoLog", GetShaderInfoLog) && Find(lookup, "glDeleteShader", DeleteShader) &&
                   Find(lookup, "glCreateProgram", CreateProgram) && Find(lookup, "glAttachShader", AttachShader) &&
                   Find(lookup, "glLinkProgram", LinkProgram) && Find(lookup, "glGetProgramiv", GetProgramiv) &&
                   Find(lookup, "glGetProgramInfoLog", GetProgramInfoLog) &&
                   Find(lookup, "glDeleteProgram", DeleteProgram) && Find(lookup, "glUseProgram", UseProgram) &&
                   Find(lookup, "glGetUniformLocation", GetUniformLocation) && Find(lookup, "glUniform1i", Uniform1i) &&
                   Find(lookup, "glUniform1f", Uniform1f) && Find(lookup, "glUniform2f", Uniform2f) &&
                   Find(lookup, "glUniform3f", Uniform3f) && Find(lookup, "glUniform4f", Uniform4f) &&
                   Find(lookup, "glActiveTexture", ActiveTexture) && Find(lookup, "glTexImage3D", TexImage3D) &&
                   Find(lookup, "glTexSubImage3D", TexSubImage3D) && Find(lookup, "glUniform3fv", Uniform3fv);
  if (!all) why = "This OpenGL driver cannot ray-cast volumes: an OpenGL 2.0 function is missing.";
  return all;
}

}  // namespace lumetrix
