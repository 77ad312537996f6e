// Programs joining a vertex stage and a pixel stage, built once per key and kept.
#include <cstdio>
#include <cstring>

#include "device.h"

namespace platform::d3d8 {

namespace {

GLuint CompileStage(GLenum kind, const std::string& source, std::string* error) {
  GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
    *error = std::string(kind == GL_VERTEX_SHADER ? "vertex" : "fragment") +
             " stage does not compile: " + log + "\n" + source;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

GLuint Device::LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                           std::string* error) {
  GLuint vertex = CompileStage(GL_VERTEX_SHADER, vertexSource, error);
  if (!vertex) return 0;
  GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, fragmentSource, error);
  if (!fragment) {
    glDeleteShader(vertex);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetProgramInfoLog(program, sizeof(log), nullptr, log);
    *error = std::string("program does not link: ") + log;
    glDeleteProgram(program);
    return 0;
  }
  static const char* kBlocks[] = {"D3DDrawState", "D3DVertexShaderConstants",
                                  "D3DPixelShaderConstants"};
  for (GLuint binding = 0; binding < 3; ++binding) {
    GLuint index = glGetUniformBlockIndex(program, kBlocks[binding]);
    if (index != GL_INVALID_INDEX) glUniformBlockBinding(program, index, binding);
  }
  glUseProgram(program);
  gl_.program = program;
  for (int s = 0; s < kMaxTextureStages; ++s) {
    std::string n = std::to_string(s);
    GLint flat = glGetUniformLocation(program, ("d3dSampler2D_" + n).c_str());
    if (flat >= 0) glUniform1i(flat, s);
    GLint cube = glGetUniformLocation(program, ("d3dSamplerCube_" + n).c_str());
    if (cube >= 0) glUniform1i(cube, s);
  }
  return program;
}

bool Device::ApplyProgram() {
  if (programDirty_) {
    for (int s = 0; s < kMaxTextureStages; ++s) {
      textureKinds_[s] = textureStorage_[s] ? textureStorage_[s]->kind : TextureKind::None;
    }
    bool vertexShader = (vertexShader_ & 1) != 0;
    std::string key;
    key.reserve(96);
    key += vertexShader ? 'S' : 'F';
    key.append(reinterpret_cast<const char*>(&vertexShader_), sizeof(vertexShader_));
    if (pixelShader_) {
      key += 'S';
      key.append(reinterpret_cast<const char*>(&pixelShader_), sizeof(pixelShader_));
      key.append(reinterpret_cast<const char*>(textureKinds_.data()), textureKinds_.size());
    } else {
      pixelKey_ = BuildFixedPixelKey(stageStates_, textureKinds_,
                                     renderStates_[D3DRS_SPECULARENABLE] != FALSE);
      key += 'F';
      key.append(reinterpret_cast<const char*>(&pixelKey_), sizeof(pixelKey_));
    }
    auto found = programs_.find(key);
    if (found == programs_.end()) {
      std::string vertexSource, fragmentSource, error;
      if (vertexShader) {
        const VertexShaderEntry* entry = vertexShaders_[(vertexShader_ >> 1) - 1].get();
        vertexSource = entry->code->glsl;
      } else {
        vertexSource = FixedVertexGlsl(vertexShader_);
      }
      if (pixelShader_) {
        fragmentSource = pixelShaders_[pixelShader_ - 1]->code->Glsl(textureKinds_);
      } else {
        fragmentSource = FixedPixelGlsl(pixelKey_);
      }
      Program program;
      program.name = LinkProgram(vertexSource, fragmentSource, &error);
      if (!program.name) LogOnce(error);
      found = programs_.emplace(key, program).first;
    }
    currentProgram_ = found->second.name;
    programDirty_ = false;
  }
  if (!currentProgram_) return false;
  if (gl_.program != currentProgram_) {
    glUseProgram(currentProgram_);
    gl_.program = currentProgram_;
  }
  return true;
}

}  // namespace platform::d3d8
