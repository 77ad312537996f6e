// Draws N small screen-space quads, switching the texture between every two, once through
// the Direct3D 8 stand-in and once with the same GL work issued directly, and prints the
// median time of each and their ratio. Offline host: no window needed.
#include <d3d8.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"

namespace {

struct Vertex {
  float x, y, z, rhw;
  DWORD colour;
  float u, v;
};

constexpr UINT kSize = 256;

std::vector<Vertex> MakeQuads(int count) {
  std::vector<Vertex> vertices;
  vertices.reserve(count * 4);
  for (int i = 0; i < count; ++i) {
    float x = float((i * 7) % 248), y = float((i * 13) % 248);
    vertices.push_back({x, y, 0.5f, 1, 0xFFFFFFFF, 0, 0});
    vertices.push_back({x + 4, y, 0.5f, 1, 0xFFFFFFFF, 1, 0});
    vertices.push_back({x + 4, y + 4, 0.5f, 1, 0xFFFFFFFF, 1, 1});
    vertices.push_back({x, y + 4, 0.5f, 1, 0xFFFFFFFF, 0, 1});
  }
  return vertices;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <class F>
double TimeIt(F&& body) {
  auto start = std::chrono::steady_clock::now();
  body();
  glFinish();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

GLuint Compile(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

// The direct path: one program, one VBO, a texture bind and a draw per quad.
struct DirectGl {
  GLuint program = 0, vao = 0, vbo = 0, fbo = 0, target = 0, textures[2] = {};

  void Prepare(const std::vector<Vertex>& vertices) {
    const char* vs =
        "#version 330 core\n"
        "layout(location = 0) in vec4 p; layout(location = 5) in vec4 c;\n"
        "layout(location = 7) in vec4 t; uniform vec2 size; out vec4 vc; out vec2 vt;\n"
        "void main() { float w = 1.0 / p.w;\n"
        "  gl_Position = vec4((p.x / size.x * 2.0 - 1.0) * w, -(1.0 - p.y / size.y * 2.0) * w,\n"
        "                     (2.0 * p.z - 1.0) * w, w); vc = c; vt = t.xy; }\n";
    const char* fs =
        "#version 330 core\n"
        "in vec4 vc; in vec2 vt; uniform sampler2D s; out vec4 o;\n"
        "void main() { o = texture(s, vt) * vc; }\n";
    program = glCreateProgram();
    glAttachShader(program, Compile(GL_VERTEX_SHADER, vs));
    glAttachShader(program, Compile(GL_FRAGMENT_SHADER, fs));
    glLinkProgram(program);
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(Vertex), vertices.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glEnableVertexAttribArray(5);
    glVertexAttribPointer(5, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<void*>(16));
    glEnableVertexAttribArray(7);
    glVertexAttribPointer(7, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(20));
    glGenTextures(2, textures);
    for (int i = 0; i < 2; ++i) {
      uint32_t texels[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, i ? 0xFFFFFFFFu : 0xFF000000u};
      glBindTexture(GL_TEXTURE_2D, textures[i]);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                   texels);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSize, kSize, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &fbo);
  }
  void Draw(int quads) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    glViewport(0, 0, kSize, kSize);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glBindVertexArray(vao);
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "size"), float(kSize), float(kSize));
    glActiveTexture(GL_TEXTURE0);
    for (int i = 0; i < quads; ++i) {
      glBindTexture(GL_TEXTURE_2D, textures[i & 1]);
      glDrawArrays(GL_TRIANGLE_FAN, i * 4, 4);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  int quads = 20000, runs = 7;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf(
          "usage: bench_draw [--quads N] [--runs R]\n"
          "Draws N small textured screen-space quads with a texture change between each,\n"
          "through the Direct3D 8 stand-in and as direct GL calls, R times each, and prints\n"
          "the median milliseconds of both and their ratio (stand-in / direct).\n");
      return 0;
    } else if (arg == "--quads" && i + 1 < argc) {
      quads = std::atoi(argv[++i]);
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "bench_draw: unknown option %s (try --help)\n", arg.c_str());
      return 2;
    }
  }
  if (quads < 1 || runs < 1) {
    std::fprintf(stderr, "bench_draw: --quads and --runs must be positive\n");
    return 2;
  }

  platform::host::OfflineOptions options;
  options.width = kSize;
  options.height = kSize;
  std::string error;
  if (!platform::host::Initialize(&options, &error)) {
    std::fprintf(stderr, "bench_draw: no offline host: %s\n", error.c_str());
    return 1;
  }
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = kSize;
  pp.BackBufferHeight = kSize;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  IDirect3DDevice8* device = nullptr;
  if (!d3d || FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                       D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
    std::fprintf(stderr, "bench_draw: no device\n");
    return 1;
  }

  std::vector<Vertex> vertices = MakeQuads(quads);
  IDirect3DVertexBuffer8* buffer = nullptr;
  device->CreateVertexBuffer(UINT(vertices.size() * sizeof(Vertex)), D3DUSAGE_WRITEONLY, 0x144,
                             D3DPOOL_MANAGED, &buffer);
  BYTE* data = nullptr;
  buffer->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
  buffer->Unlock();
  IDirect3DTexture8* textures[2] = {};
  for (int t = 0; t < 2; ++t) {
    device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textures[t]);
    D3DLOCKED_RECT locked;
    textures[t]->LockRect(0, &locked, nullptr, 0);
    std::memset(locked.pBits, t ? 0xff : 0x80, 16);
    textures[t]->UnlockRect(0);
  }
  IDirect3DTexture8* target = nullptr;
  device->CreateTexture(kSize, kSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                        &target);
  IDirect3DSurface8* targetSurface = nullptr;
  target->GetSurfaceLevel(0, &targetSurface);
  device->SetRenderTarget(targetSurface, nullptr);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetVertexShader(0x144);
  device->SetStreamSource(0, buffer, sizeof(Vertex));

  auto standIn = [&] {
    for (int i = 0; i < quads; ++i) {
      device->SetTexture(0, textures[i & 1]);
      device->DrawPrimitive(D3DPT_TRIANGLEFAN, UINT(i * 4), 2);
    }
  };
  DirectGl direct;
  // Warm both paths up (program links, first uploads) before measuring.
  standIn();
  glFinish();
  direct.Prepare(vertices);
  direct.Draw(quads);
  glFinish();
  // The direct path changes GL behind the device's back; the device re-learns GL state after
  // a Present, which is what the stand-in path runs after here.
  std::vector<double> standInTimes, directTimes;
  for (int r = 0; r < runs; ++r) {
    device->Present(nullptr, nullptr, nullptr, nullptr);
    device->SetRenderTarget(targetSurface, nullptr);
    device->SetStreamSource(0, buffer, sizeof(Vertex));
    standInTimes.push_back(TimeIt(standIn));
    directTimes.push_back(TimeIt([&] { direct.Draw(quads); }));
  }
  double a = Median(standInTimes), b = Median(directTimes);
  std::printf("draw overhead: %d quads with a texture change each, median of %d runs\n", quads,
              runs);
  std::printf("  stand-in  %8.3f ms\n  direct GL %8.3f ms\n  ratio     %8.3f\n", a, b, a / b);

  targetSurface->Release();
  target->Release();
  for (IDirect3DTexture8* t : textures) {
    device->SetTexture(0, nullptr);
    t->Release();
  }
  device->SetStreamSource(0, nullptr, 0);
  buffer->Release();
  device->Release();
  d3d->Release();
  return 0;
}
