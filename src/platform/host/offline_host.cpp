// The offline host: a GL context with no window and no display server (EGL on Mesa's
// surfaceless platform, or a pbuffer on the default display), frames read back at every
// Present, a virtual clock and a key script.
#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "host_modes.h"
#include "key_script.h"
#include "virtual_clock.h"
#include "win32/time_source.h"
#include "win32/window_system.h"

namespace platform::host::offline {
namespace {

// Where the virtual clock starts: far enough from 0 that the frame-rate meter's first sample,
// measured against its initial 100 ms, is the near-zero value a machine that has been up for a
// while would give.
constexpr DWORD kClockStart = 1000000;

struct OfflineState {
  OfflineOptions options;
  std::vector<ScriptedKey> keys;
  VirtualClock clock{kClockStart, 60};
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
  std::vector<uint8_t> pixels;
};

OfflineState& State() {
  static OfflineState state;
  return state;
}

bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  const size_t n = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  }
  return false;
}

std::string EglError(const char* what) {
  char code[32];
  std::snprintf(code, sizeof code, " (EGL error 0x%04X)", static_cast<unsigned>(eglGetError()));
  return std::string(what) + code;
}

EGLDisplay OpenDisplay() {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") &&
      HasExtension(clientExtensions, "EGL_EXT_platform_base")) {
    EGLDisplay d = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY,
                                            nullptr);
    if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
  }
  EGLDisplay d = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
  return EGL_NO_DISPLAY;
}

// Key presses and releases due after frame `frame` has been drawn.
void PlayScript(long frame) {
  OfflineState& s = State();
  const HWND target = platform::win32::FocusWindow();
  // Releases first, so a key pressed again in the same frame ends up down.
  for (const ScriptedKey& k : s.keys)
    if (!k.quit && k.releaseFrame == frame)
      platform::win32::PostKeyInput(target, k.virtualKey, false, false);
  for (const ScriptedKey& k : s.keys) {
    if (k.pressFrame != frame) continue;
    if (k.quit)
      platform::win32::PostCloseRequest(target);
    else
      platform::win32::PostKeyInput(target, k.virtualKey, true, false);
  }
  if (s.options.maxFrames > 0 && frame + 1 == s.options.maxFrames)
    platform::win32::PostKeyInput(target, VK_ESCAPE, true, false);
}

}  // namespace

bool Start(const OfflineOptions& options, std::string* error) {
  OfflineState& s = State();
  s.options = options;
  if (options.width == 0 || options.height == 0) {
    if (error) *error = "the offline host needs a frame size of at least 1x1";
    return false;
  }
  if (options.fps == 0) {
    if (error) *error = "the offline host needs a frame rate of at least 1";
    return false;
  }
  if (!ParseKeyScript(options.keyScript, &s.keys, error)) return false;
  s.clock = VirtualClock(kClockStart, options.fps);
  platform::SetTimeSource([] { return State().clock.Now(); });
  return true;
}

bool CreateGlContext(bool software, std::string* error) {
  OfflineState& s = State();
  if (s.context != EGL_NO_CONTEXT) {
    if (eglMakeCurrent(s.display, s.surface, s.surface, s.context)) return true;
    if (error) *error = EglError("cannot make the offline GL context current");
    return false;
  }
  // Mesa reads this when the display is opened; it picks its software rasteriser.
  if (software) setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  s.display = OpenDisplay();
  if (s.display == EGL_NO_DISPLAY) {
    if (error) *error = EglError("no EGL display for offline rendering (is Mesa's libegl-mesa0 installed?)");
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    if (error) *error = EglError("EGL cannot serve desktop OpenGL");
    return false;
  }
  const bool surfaceless =
      HasExtension(eglQueryString(s.display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_SURFACE_TYPE, surfaceless ? 0 : EGL_PBUFFER_BIT,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(s.display, configAttributes, &config, 1, &count) || count < 1) {
    if (error) *error = EglError("no EGL configuration for desktop OpenGL");
    return false;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3,
                                      EGL_CONTEXT_MINOR_VERSION, 3,
                                      EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                      EGL_NONE};
  s.context = eglCreateContext(s.display, config, EGL_NO_CONTEXT, contextAttributes);
  if (s.context == EGL_NO_CONTEXT) {
    if (error) *error = EglError("cannot create an OpenGL 3.3 core context");
    return false;
  }
  if (!surfaceless) {
    const EGLint pbufferAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    s.surface = eglCreatePbufferSurface(s.display, config, pbufferAttributes);
    if (s.surface == EGL_NO_SURFACE) {
      if (error) *error = EglError("cannot create an off-screen surface");
      return false;
    }
  }
  if (!eglMakeCurrent(s.display, s.surface, s.surface, s.context)) {
    if (error) *error = EglError("cannot make the offline GL context current");
    return false;
  }
  return true;
}

void Present(unsigned framebuffer, UINT width, UINT height) {
  OfflineState& s = State();
  const long frame = static_cast<long>(s.clock.Frames());
  if (s.options.frameSink && width > 0 && height > 0) {
    s.pixels.resize(static_cast<size_t>(width) * height * 4);
    GLint readBinding = 0, packBuffer = 0, packAlignment = 4;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Row 0 of the framebuffer is the image's top row, so the read comes out top row first.
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                 GL_UNSIGNED_BYTE, s.pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readBinding));
    s.options.frameSink(static_cast<int>(frame), s.pixels.data(), width, height);
  }
  s.clock.Advance();
  PlayScript(frame);
}

}  // namespace platform::host::offline
