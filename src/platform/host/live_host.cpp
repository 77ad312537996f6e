// The live host: SDL2 windows with an OpenGL 3.3 core context, the back buffer blitted into the
// window at every Present.
#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdlib>

#include "host_modes.h"
#include "win32/window_system.h"

namespace platform::host::live {
namespace {

struct LiveState {
  SDL_GLContext context = nullptr;
  HWND window = nullptr;
};

LiveState& State() {
  static LiveState state;
  return state;
}

}  // namespace

bool Start(std::string* error) {
  // Ctrl+C in the terminal should end the process, not arrive as a window message.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    if (error)
      *error = std::string("cannot open a display (") + SDL_GetError() +
               "). Without a display, run the offline host (VANTREL_HOST=offline, or "
               "vantrel-capture), or start a virtual one (xvfb-run).";
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The back buffer, with its depth and stencil, is the device's own framebuffer object.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  return true;
}

bool CreateGlContext(HWND window, bool software, std::string* error) {
  LiveState& s = State();
  SDL_Window* native = platform::win32::NativeWindow(window);
  if (!native) {
    if (error) *error = "the device window is not a top-level window of the live host";
    return false;
  }
  if (s.context && s.window == window) {
    if (SDL_GL_MakeCurrent(native, s.context) == 0) return true;
  }
  // Mesa honours this only for drivers it has not loaded yet; on a machine without a GPU both
  // device types end up on its software rasteriser anyway.
  if (software) setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  SDL_GLContext context = SDL_GL_CreateContext(native);
  if (!context) {
    if (error) *error = std::string("cannot create an OpenGL 3.3 core context: ") + SDL_GetError();
    return false;
  }
  if (epoxy_gl_version() < 33) {
    SDL_GL_DeleteContext(context);
    if (error) *error = "the OpenGL driver offers less than version 3.3";
    return false;
  }
  s.context = context;
  s.window = window;
  SDL_GL_SetSwapInterval(1);
  // The window the device draws into is the one the user watches.
  ShowWindow(window, SW_SHOW);
  return true;
}

void SetFullScreen(HWND window, bool fullScreen) {
  SDL_Window* native = platform::win32::NativeWindow(window);
  if (!native) return;
  SDL_SetWindowFullscreen(native, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (fullScreen) ShowWindow(window, SW_SHOW);
}

void Present(unsigned framebuffer, UINT width, UINT height) {
  LiveState& s = State();
  SDL_Window* native = platform::win32::NativeWindow(s.window);
  if (!native || !s.context || width == 0 || height == 0) return;

  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(native, &drawableWidth, &drawableHeight);
  int x0 = 0, y0 = 0, x1 = drawableWidth, y1 = drawableHeight;
  if (SDL_GetWindowFlags(native) & SDL_WINDOW_FULLSCREEN) {
    // Keep the image's shape: bars left and right, or above and below.
    const double scale = std::min(static_cast<double>(drawableWidth) / width,
                                  static_cast<double>(drawableHeight) / height);
    const int w = static_cast<int>(width * scale + 0.5);
    const int h = static_cast<int>(height * scale + 0.5);
    x0 = (drawableWidth - w) / 2;
    y0 = (drawableHeight - h) / 2;
    x1 = x0 + w;
    y1 = y0 + h;
  }

  // The device tracks its GL state; leave everything touched here as it was.
  GLint readBinding = 0, drawBinding = 0;
  GLboolean colorMask[4];
  GLfloat clearColor[4];
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
  glGetBooleanv(GL_COLOR_WRITEMASK, colorMask);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  const GLboolean srgb = glIsEnabled(GL_FRAMEBUFFER_SRGB);

  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_FRAMEBUFFER_SRGB);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  // The framebuffer holds the top row at y = 0; the window's y = 0 is its bottom row.
  glBlitFramebuffer(0, 0, static_cast<GLint>(width), static_cast<GLint>(height), x0, y1, x1, y0,
                    GL_COLOR_BUFFER_BIT, GL_LINEAR);
  SDL_GL_SwapWindow(native);

  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readBinding));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawBinding));
  glColorMask(colorMask[0], colorMask[1], colorMask[2], colorMask[3]);
  glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
  if (srgb) glEnable(GL_FRAMEBUFFER_SRGB);
}

}  // namespace platform::host::live
