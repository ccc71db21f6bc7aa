#include "render/gl_program.h"

namespace lumetrix {
namespace {

// Whether `object` reached `status`; if not, its log goes into `why` and it is deleted.
template <typename GetIv, typename GetLog, typename Delete>
bool Reached(GLuint object, GLenum status, GetIv get_iv, GetLog get_log, Delete del, const char* failed,
             std::string& why) {
  GLint ok = 0;
  get_iv(object, status, &ok);
  if (ok) return true;
  char log[1024] = {0};
  get_log(object, sizeof log - 1, nullptr, log);
  why = std::string("The ray caster's shader ") + failed + " on this driver: " + log;
  del(object);
  return false;
}

GLuint Compile(const GlShaderFunctions& gl, GLenum kind, const std::string& source, std::string& why) {
  const GLuint shader = gl.CreateShader(kind);
  const char* text = source.c_str();
  gl.ShaderSource(shader, 1, &text, nullptr);
  gl.CompileShader(shader);
  return Reached(shader, GL_COMPILE_STATUS, gl.GetShaderiv, gl.GetShaderInfoLog, gl.DeleteShader, "does not compile", why)
             ? shader
             : 0;
}

}  // namespace

uint32_t BuildProgram(const GlShaderFunctions& gl, const std::string& vertex, const std::string& fragment,
                      std::string& why) {
  const GLuint vs = Compile(gl, GL_VERTEX_SHADER, vertex, why);
  if (!vs) return 0;
  const GLuint fs = Compile(gl, GL_FRAGMENT_SHADER, fragment, why);
  if (!fs) {
    gl.DeleteShader(vs);
    return 0;
  }
  const GLuint program = gl.CreateProgram();
  gl.AttachShader(program, vs);
  gl.AttachShader(program, fs);
  gl.LinkProgram(program);
  gl.DeleteShader(vs);
  gl.DeleteShader(fs);
  return Reached(program, GL_LINK_STATUS, gl.GetProgramiv, gl.GetProgramInfoLog, gl.DeleteProgram, "does not link", why)
             ? program
             : 0;
}

}  // namespace lumetrix
