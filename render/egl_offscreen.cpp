#include "render/egl_offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

namespace lumetrix {
namespace {

// Framebuffer calls are not part of OpenGL 1.1: they are looked up at run time.
struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;

  template <typename F>
  static bool Load(F& f, const char* name) {
    f = reinterpret_cast<F>(eglGetProcAddress(name));
    return f != nullptr;
  }
  bool LoadAll() {
    return Load(GenFramebuffers, "glGenFramebuffers") && Load(DeleteFramebuffers, "glDeleteFramebuffers") &&
           Load(BindFramebuffer, "glBindFramebuffer") && Load(GenRenderbuffers, "glGenRenderbuffers") &&
           Load(DeleteRenderbuffers, "glDeleteRenderbuffers") && Load(BindRenderbuffer, "glBindRenderbuffer") &&
           Load(RenderbufferStorage, "glRenderbufferStorage") &&
           Load(FramebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           Load(CheckFramebufferStatus, "glCheckFramebufferStatus");
  }
};

FramebufferCalls& Calls() {
  static FramebufferCalls calls;
  return calls;
}

}  // namespace

EglOffscreen::~EglOffscreen() {
  if (!display_) return;
  if (context_ && MakeCurrent()) DeleteFramebuffer();
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(display_, context_);
  eglTerminate(display_);
}

bool EglOffscreen::Create(std::string& error) {
  if (context_) return MakeCurrent();
  auto get_display =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  display_ = get_display ? get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr) : nullptr;
  EGLint major = 0, minor = 0;
  if (!display_ || !eglInitialize(display_, &major, &minor)) {
    display_ = nullptr;
    error = "There is no display, and EGL offers no surfaceless platform to draw without one.";
    return false;
  }
  // No config and no surface: the context draws only into its own framebuffer object. The
  // default attributes give a compatibility profile, which keeps the fixed-function calls.
  if (!eglBindAPI(EGL_OPENGL_API) ||
      !(context_ = eglCreateContext(display_, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr)) ||
      !eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) || !Calls().LoadAll()) {
    error = "There is no display, and EGL could not make a surfaceless OpenGL context.";
    if (context_) eglDestroyContext(display_, context_);
    context_ = nullptr;
    return false;
  }
  return true;
}

bool EglOffscreen::MakeCurrent() {
  if (!context_ || !eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return false;
  if (framebuffer_) Calls().BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  return true;
}

void EglOffscreen::DoneCurrent() {
  if (display_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void EglOffscreen::DeleteFramebuffer() {
  if (!framebuffer_) return;
  FramebufferCalls& gl = Calls();
  gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
  gl.DeleteFramebuffers(1, &framebuffer_);
  gl.DeleteRenderbuffers(1, &colour_);
  gl.DeleteRenderbuffers(1, &depth_);
  framebuffer_ = colour_ = depth_ = 0;
}

bool EglOffscreen::SetFramebufferSize(int32_t width, int32_t height) {
  if (!MakeCurrent()) return false;
  DeleteFramebuffer();
  FramebufferCalls& gl = Calls();
  // The formats of the framebuffer Qt makes under X: 8-bit RGBA colour and a 24-bit depth.
  gl.GenRenderbuffers(1, &colour_);
  gl.BindRenderbuffer(GL_RENDERBUFFER, colour_);
  gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  gl.GenRenderbuffers(1, &depth_);
  gl.BindRenderbuffer(GL_RENDERBUFFER, depth_);
  gl.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  gl.GenFramebuffers(1, &framebuffer_);
  gl.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  if (gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
  DeleteFramebuffer();
  return false;
}

void (*EglOffscreen::ProcAddress(const char* name))() { return eglGetProcAddress(name); }

}  // namespace lumetrix
