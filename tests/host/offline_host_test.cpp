// The offline host end to end: a GL context without any display, frames read back top row first,
// the virtual clock behind timeGetTime, and the key script arriving as window messages.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "host/host.h"

namespace {

struct Frame {
  int index;
  UINT width, height;
  std::vector<uint8_t> bgra;
};
std::vector<Frame> frames;

class OfflineHost : public testing::Environment {
 public:
  void SetUp() override {
    platform::host::OfflineOptions options;
    options.width = 64;
    options.height = 32;
    options.fps = 60;
    options.maxFrames = 4;
    options.keyScript = "a@0,space@1-3,quit@2";
    options.frameSink = [](int index, const uint8_t* bgra, UINT w, UINT h) {
      frames.push_back({index, w, h, std::vector<uint8_t>(bgra, bgra + size_t(w) * h * 4)});
    };
    std::string error;
    ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
  }
};
const auto* const environment = testing::AddGlobalTestEnvironment(new OfflineHost);

LRESULT CALLBACK RecordingProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

HWND MakeWindow() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = RecordingProcedure;
  wc.lpszClassName = "hosttest";
  RegisterClassExA(&wc);
  return CreateWindowExA(0, "hosttest", "t", WS_OVERLAPPEDWINDOW, 0, 0, 64, 32, nullptr, nullptr,
                         nullptr, nullptr);
}

// A 64x32 framebuffer: blue, with its first 8 rows (the image's top) red.
GLuint MakeTopRedFramebuffer() {
  GLuint fbo = 0, color = 0;
  glGenFramebuffers(1, &fbo);
  glGenRenderbuffers(1, &color);
  glBindRenderbuffer(GL_RENDERBUFFER, color);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 64, 32);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
  EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
  glViewport(0, 0, 64, 32);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 64, 8);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  return fbo;
}

std::vector<MSG> Drain() {
  std::vector<MSG> out;
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) out.push_back(m);
  return out;
}

}  // namespace

TEST(OfflineHost, CreatesACoreContextWithoutADisplay) {
  std::string error;
  ASSERT_TRUE(platform::host::CreateGlContext(nullptr, false, &error)) << error;
  EXPECT_GE(epoxy_gl_version(), 33);
  GLint profile = 0;
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
  EXPECT_EQ(platform::host::CurrentMode(), platform::host::Mode::Offline);
}

TEST(OfflineHost, ReadsBackTopRowFirstAdvancesTheClockAndPlaysTheScript) {
  std::string error;
  ASSERT_TRUE(platform::host::CreateGlContext(nullptr, false, &error)) << error;
  const HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  const GLuint fbo = MakeTopRedFramebuffer();

  const DWORD start = timeGetTime();
  EXPECT_EQ(timeGetTime(), start) << "the clock stands still between Presents";

  struct Expected {
    DWORD clock;
    std::vector<std::pair<UINT, WPARAM>> messages;
  };
  const Expected afterFrame[] = {
      {16, {{WM_KEYDOWN, 'A'}}},
      {33, {{WM_KEYUP, 'A'}, {WM_KEYDOWN, VK_SPACE}}},
      {50, {{WM_SYSCOMMAND, SC_CLOSE}}},
      {66, {{WM_KEYUP, VK_SPACE}, {WM_KEYDOWN, VK_ESCAPE}}},  // the fourth frame ends the run
  };
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    platform::host::PresentFramebuffer(fbo, 64, 32);
    EXPECT_EQ(timeGetTime() - start, afterFrame[i].clock);
    const auto messages = Drain();
    ASSERT_EQ(messages.size(), afterFrame[i].messages.size());
    for (size_t k = 0; k < messages.size(); ++k) {
      EXPECT_EQ(messages[k].hwnd, window);
      EXPECT_EQ(messages[k].message, afterFrame[i].messages[k].first);
      EXPECT_EQ(messages[k].wParam, afterFrame[i].messages[k].second);
    }
  }
  EXPECT_EQ(platform::host::PresentedFrames(), 4u);

  ASSERT_EQ(frames.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(frames[i].index, i);
  const Frame& f = frames[0];
  ASSERT_EQ(f.width, 64u);
  ASSERT_EQ(f.height, 32u);
  auto pixel = [&](int x, int y) {
    const uint8_t* p = &f.bgra[(size_t(y) * 64 + x) * 4];
    return std::vector<int>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{0, 0, 255}));    // red on top
  EXPECT_EQ(pixel(63, 7), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(pixel(0, 8), (std::vector<int>{255, 0, 0}));    // blue below
  EXPECT_EQ(pixel(63, 31), (std::vector<int>{255, 0, 0}));

  // Present left the GL state the caller had.
  GLint bound = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &bound);
  EXPECT_EQ(GLuint(bound), fbo);
}
