#pragma once
// An OpenGL context that needs no display: Mesa's EGL "surfaceless" platform with a desktop-GL
// compatibility context, drawing into a framebuffer object of its own. Used when the program runs
// on a machine without an X server (cluster nodes) and Qt therefore offers no OpenGL.

#include <cstdint>
#include <string>

namespace lumetrix {

class EglOffscreen {
 public:
  EglOffscreen() = default;
  EglOffscreen(const EglOffscreen&) = delete;
  EglOffscreen& operator=(const EglOffscreen&) = delete;
  ~EglOffscreen();

  // Opens the display, makes the context and makes it current; false, with the reason, when
  // this machine's EGL offers no surfaceless desktop OpenGL.
  bool Create(std::string& error);
  bool IsValid() const { return context_ != nullptr; }
  // Makes the context current and binds the framebuffer (when there is one).
  bool MakeCurrent();
  void DoneCurrent();
  // Makes the colour and depth buffers anew at this size and binds them; the context is current.
  bool SetFramebufferSize(int32_t width, int32_t height);
  bool HasFramebuffer() const { return framebuffer_ != 0; }
  // An OpenGL entry point of the current EGL context.
  static void (*ProcAddress(const char* name))();

 private:
  void DeleteFramebuffer();

  void* display_ = nullptr;
  void* context_ = nullptr;
  uint32_t framebuffer_ = 0, colour_ = 0, depth_ = 0;
};

}  // namespace lumetrix
