#pragma once
// A new 3D texture bound to GL_TEXTURE_3D, read with `filter` and `wrap` on every axis.

#include <GL/gl.h>
#include <GL/glext.h>

namespace lumetrix {

inline GLuint NewVolumeTexture(GLint filter, GLint wrap) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_3D, name);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, filter);
  for (GLenum axis : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R}) glTexParameteri(GL_TEXTURE_3D, axis, wrap);
  return name;
}

}  // namespace lumetrix
