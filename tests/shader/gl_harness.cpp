#include "gl_harness.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "assembler.h"
#include "host/host.h"

namespace shadertest {

bool EnsureGl(std::string* error) {
  static bool tried = false, ok = false;
  static std::string failure;
  if (!tried) {
    tried = true;
    platform::host::OfflineOptions options;
    options.width = kSize;
    options.height = kSize;
    ok = platform::host::Initialize(&options, &failure) &&
         platform::host::CreateGlContext(nullptr, true, &failure);
  }
  if (!ok && error) *error = failure;
  return ok;
}

namespace {

bool Assemble(const std::string& text, std::vector<uint32_t>* tokens, std::string* error) {
  shasm::Diagnostic d;
  shasm::PreprocessOptions options;
  if (!shasm::AssembleSource("inline", text, options, tokens, &d)) {
    *error = d.ToString();
    return false;
  }
  return true;
}

GLuint Compile(GLenum stage, const std::string& source, std::string* error) {
  GLuint s = glCreateShader(stage);
  const char* text = source.c_str();
  glShaderSource(s, 1, &text, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[4096];
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    *error = std::string("GLSL compile failed: ") + log + "\n" + source;
    glDeleteShader(s);
    return 0;
  }
  return s;
}

void BindBlock(GLuint program, const char* name, GLuint binding) {
  GLuint index = glGetUniformBlockIndex(program, name);
  if (index != GL_INVALID_INDEX) glUniformBlockBinding(program, index, binding);
}

GLuint Buffer(const void* data, size_t size) {
  GLuint b = 0;
  glGenBuffers(1, &b);
  glBindBuffer(GL_UNIFORM_BUFFER, b);
  glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(size), data, GL_STATIC_DRAW);
  return b;
}

}  // namespace

void FullScreenQuad(DrawJob* job, int reg, const std::array<Vec4, 4>& corners) {
  // Corners: top-left, top-right, bottom-left, bottom-right in D3D clip space (y up).
  const Vec4 pos[4] = {{-1, 1, 0.5f, 1}, {1, 1, 0.5f, 1}, {-1, -1, 0.5f, 1}, {1, -1, 0.5f, 1}};
  const int order[6] = {0, 1, 2, 2, 1, 3};
  for (int i : order) {
    job->inputs[0].push_back(pos[i]);
    if (reg >= 0) job->inputs[reg].push_back(corners[i]);
  }
}

bool LinkProgram(const std::string& vs, const std::string& fs, GLuint* program, std::string* error) {
  GLuint v = Compile(GL_VERTEX_SHADER, vs, error);
  if (!v) return false;
  GLuint f = Compile(GL_FRAGMENT_SHADER, fs, error);
  if (!f) return false;
  GLuint p = glCreateProgram();
  glAttachShader(p, v);
  glAttachShader(p, f);
  glLinkProgram(p);
  glDeleteShader(v);
  glDeleteShader(f);
  GLint ok = 0;
  glGetProgramiv(p, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[4096];
    glGetProgramInfoLog(p, sizeof log, nullptr, log);
    *error = std::string("link failed: ") + log;
    glDeleteProgram(p);
    return false;
  }
  *program = p;
  return true;
}

bool Draw(const DrawJob& job, Image* image, std::string* error) {
  if (!EnsureGl(error)) return false;
  namespace d3d = platform::d3d8;
  std::vector<uint32_t> vsTokens, psTokens;
  if (!Assemble(job.vertexSource, &vsTokens, error) || !Assemble(job.pixelSource, &psTokens, error)) return false;
  const DWORD declaration[] = {0x20000000, 0x40030000, 0xFFFFFFFF};
  std::unique_ptr<d3d::VertexShaderCode> vs;
  std::unique_ptr<d3d::PixelShaderCode> ps;
  if (FAILED(d3d::TranslateVertexShader(declaration, vsTokens.data(), &vs, error))) return false;
  if (FAILED(d3d::TranslatePixelShader(psTokens.data(), &ps, error))) return false;
  d3d::TextureKinds kinds{};
  for (const auto& [stage, tex] : job.textures) kinds[stage] = tex.cube ? d3d::TextureKind::Cube : d3d::TextureKind::Flat;
  GLuint program = 0;
  if (!LinkProgram(vs->glsl, ps->Glsl(kinds), &program, error)) return false;

  GLuint fbo = 0, color = 0, vao = 0;
  glGenFramebuffers(1, &fbo);
  glGenRenderbuffers(1, &color);
  glBindRenderbuffer(GL_RENDERBUFFER, color);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
  glViewport(0, 0, kSize, kSize);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);

  glUseProgram(program);
  BindBlock(program, "D3DDrawState", 0);
  BindBlock(program, "D3DVertexShaderConstants", 1);
  BindBlock(program, "D3DPixelShaderConstants", 2);
  // D3DDrawState: viewport, position fix-up, texture factor, alpha test, bump matrices,
  // bump luminance, world-view-projection: 24 vec4 in std140.
  std::vector<float> draw(24 * 4, 0.0f);
  draw[0] = 0; draw[1] = 0; draw[2] = kSize; draw[3] = kSize;
  for (int i = 0; i < 8; ++i)
    for (int c = 0; c < 4; ++c) {
      draw[(4 + i) * 4 + c] = job.bumpEnv[i][c];
      draw[(12 + i) * 4 + c] = job.bumpLuminance[i][c];
    }
  // Declared and def constants load when the shaders are set, as the device does it.
  std::array<Vec4, 96> vsConst = job.vsConst;
  std::array<Vec4, 8> psConst = job.psConst;
  for (const auto& c : vs->layout.constants) std::copy(c.value, c.value + 4, vsConst[c.reg].begin());
  for (const auto& c : ps->DefinedConstants()) std::copy(c.value, c.value + 4, psConst[c.reg].begin());
  GLuint buffers[3] = {Buffer(draw.data(), draw.size() * 4), Buffer(vsConst.data(), sizeof vsConst),
                       Buffer(psConst.data(), sizeof psConst)};
  for (GLuint i = 0; i < 3; ++i) glBindBufferBase(GL_UNIFORM_BUFFER, i, buffers[i]);

  std::vector<GLuint> textures;
  for (const auto& [stage, tex] : job.textures) {
    GLuint t = 0;
    glGenTextures(1, &t);
    textures.push_back(t);
    glActiveTexture(GL_TEXTURE0 + stage);
    const GLenum target = tex.cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    glBindTexture(target, t);
    for (int face = 0; face < (tex.cube ? 6 : 1); ++face) {
      const GLenum image = tex.cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
      glTexImage2D(image, 0, GL_RGBA8, tex.size, tex.size, 0, GL_BGRA, GL_UNSIGNED_BYTE, tex.texels[face].data());
    }
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, 0);
    const std::string name = std::string(tex.cube ? "d3dSamplerCube_" : "d3dSampler2D_") + std::to_string(stage);
    GLint loc = glGetUniformLocation(program, name.c_str());
    if (loc >= 0) glUniform1i(loc, stage);
  }

  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  std::vector<GLuint> vbos;
  size_t vertices = job.inputs[0].size();
  for (int r = 0; r < 16; ++r) {
    if (job.inputs[r].empty()) continue;
    GLuint b = 0;
    glGenBuffers(1, &b);
    vbos.push_back(b);
    glBindBuffer(GL_ARRAY_BUFFER, b);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(job.inputs[r].size() * sizeof(Vec4)), job.inputs[r].data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(r);
    glVertexAttribPointer(r, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
  }
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices));
  image->rgba.assign(kSize * kSize * 4, 0);
  glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, image->rgba.data());
  const GLenum glError = glGetError();

  glBindVertexArray(0);
  glDeleteVertexArrays(1, &vao);
  glDeleteBuffers(static_cast<GLsizei>(vbos.size()), vbos.data());
  glDeleteBuffers(3, buffers);
  glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
  glDeleteFramebuffers(1, &fbo);
  glDeleteRenderbuffers(1, &color);
  glDeleteProgram(program);
  if (glError != GL_NO_ERROR) {
    *error = "GL error " + std::to_string(glError);
    return false;
  }
  return true;
}

}  // namespace shadertest
