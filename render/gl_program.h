#pragma once
// A GLSL program from the source of its two shaders.

#include <cstdint>
#include <string>

#include "render/gl_shader_functions.h"

namespace lumetrix {

// The linked program (the context current); 0, with the driver's log in `why`, when a shader
// does not compile or the program does not link.
uint32_t BuildProgram(const GlShaderFunctions& gl, const std::string& vertex, const std::string& fragment,
                      std::string& why);

}  // namespace lumetrix
