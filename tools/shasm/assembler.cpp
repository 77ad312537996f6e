#include "assembler.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/d3d8/shader/decoder.h"

namespace shasm {

using namespace platform::shader;

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class LineParser {
 public:
  LineParser(const SourceLine& line, Diagnostic* error) : line_(line), text_(line.text), error_(error) {}

  bool Fail(size_t at, const std::string& message) {
    if (error_) {
      error_->file = line_.file;
      error_->line = line_.line;
      error_->column = line_.ColumnAt(at);
      error_->message = message;
    }
    return false;
  }
  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ >= text_.size();
  }
  bool Accept(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  std::string Word() {  // letters, digits, '_' and '.'
    SkipSpace();
    size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '_' || text_[pos_] == '.'))
      ++pos_;
    return text_.substr(start, pos_ - start);
  }
  size_t pos() const { return pos_; }
  bool explicitSwizzle() const { return explicitSwizzle_; }
  void set_pos(size_t p) { pos_ = p; }
  const std::string& text() const { return text_; }

  bool ParseInteger(long long* value) {
    SkipSpace();
    size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])))) ++pos_;
    std::string s = text_.substr(start, pos_ - start);
    char* end = nullptr;
    errno = 0;
    *value = std::strtoll(s.c_str(), &end, 0);
    if (s.empty() || *end != '\0' || errno) return Fail(start, "expected a number, found '" + s + "'");
    return true;
  }

  // r0, v3, c12, c[a0.x + 8], c[CONST], t1, a0, oPos, oFog, oPts, oD0, oT7.
  bool ParseRegister(const Version& v, RegisterType* type, uint16_t* index, bool* relative) {
    SkipSpace();
    size_t start = pos_;
    while (pos_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    std::string name = Lower(text_.substr(start, pos_ - start));
    *relative = false;
    if (name.empty()) return Fail(start, "expected a register");
    if (name == "c" && pos_ < text_.size() && text_[pos_] == '[') {
      ++pos_;
      long long sum = 0;
      bool sawTerm = false;
      int sign = 1;
      for (;;) {
        SkipSpace();
        if (pos_ >= text_.size()) return Fail(start, "missing ']' after c[");
        size_t termStart = pos_;
        if (std::isalpha(static_cast<unsigned char>(text_[pos_]))) {
          std::string w = Lower(Word());
          if (w != "a0.x" && w != "a0") return Fail(termStart, "only a0.x can index constants, found '" + w + "'");
          if (*relative) return Fail(termStart, "a0.x appears twice in the index");
          if (sign < 0) return Fail(termStart, "a0.x cannot be subtracted");
          *relative = true;
        } else {
          long long n;
          if (!ParseInteger(&n)) return false;
          sum += sign * n;
        }
        sawTerm = true;
        SkipSpace();
        if (Accept(']')) break;
        if (Accept('+')) sign = 1;
        else if (Accept('-')) sign = -1;
        else return Fail(pos_, "expected '+', '-' or ']' in constant index");
      }
      if (!sawTerm) return Fail(start, "empty constant index");
      if (sum < 0 || sum > static_cast<long long>(kRegNumMask))
        return Fail(start, "constant index " + std::to_string(sum) + " is out of range");
      *type = RegisterType::Const;
      *index = static_cast<uint16_t>(sum);
      return true;
    }
    struct Named { const char* prefix; RegisterType type; bool numbered; uint16_t fixed; };
    const bool pixel = v.IsPixel();
    const Named names[] = {
        {"opos", RegisterType::RastOut, false, kRastOutPosition},
        {"ofog", RegisterType::RastOut, false, kRastOutFog},
        {"opts", RegisterType::RastOut, false, kRastOutPointSize},
        {"od", RegisterType::AttrOut, true, 0},
        {"ot", RegisterType::TexCrdOut, true, 0},
        {"r", RegisterType::Temp, true, 0},
        {"v", RegisterType::Input, true, 0},
        {"c", RegisterType::Const, true, 0},
        {"a", RegisterType::Address, true, 0},
        {"t", RegisterType::Address, true, 0},
    };
    for (const Named& n : names) {
      const std::string prefix = n.prefix;
      if (!n.numbered) {
        if (name == prefix && !pixel) {
          *type = n.type;
          *index = n.fixed;
          return true;
        }
        continue;
      }
      if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
      std::string digits = name.substr(prefix.size());
      bool allDigits = true;
      for (char c : digits) allDigits = allDigits && std::isdigit(static_cast<unsigned char>(c));
      if (!allDigits) continue;
      if ((prefix == "a" || prefix == "od" || prefix == "ot") && pixel) continue;
      if (prefix == "t" && !pixel) continue;
      long long number = std::strtoll(digits.c_str(), nullptr, 10);
      if (digits.size() > 5 || number > static_cast<long long>(kRegNumMask))
        return Fail(start, "register number " + digits + " is out of range");
      *type = n.type;
      *index = static_cast<uint16_t>(number);
      return true;
    }
    return Fail(start, "'" + text_.substr(start, pos_ - start) + "' is not a register of " + v.Name());
  }

  bool ParseComponents(bool isMask, uint8_t* result) {
    size_t start = pos_;
    std::string letters;
    while (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) letters += text_[pos_++];
    letters = Lower(letters);
    if (letters.empty() || letters.size() > 4) return Fail(start, "bad component list '." + letters + "'");
    int comps[4];
    for (size_t i = 0; i < letters.size(); ++i) {
      const char c = letters[i];
      switch (c) {
        case 'x': case 'r': comps[i] = 0; break;
        case 'y': case 'g': comps[i] = 1; break;
        case 'z': case 'b': comps[i] = 2; break;
        case 'w': case 'a': comps[i] = 3; break;
        default: return Fail(start, "bad component '" + std::string(1, c) + "' in '." + letters + "'");
      }
    }
    if (isMask) {
      uint8_t mask = 0;
      for (size_t i = 0; i < letters.size(); ++i) {
        if (i > 0 && comps[i] <= comps[i - 1])
          return Fail(start, "write mask '." + letters + "' must list components in order");
        mask |= static_cast<uint8_t>(1 << comps[i]);
      }
      *result = mask;
    } else {
      for (size_t i = letters.size(); i < 4; ++i) comps[i] = comps[letters.size() - 1];
      *result = MakeSwizzle(comps[0], comps[1], comps[2], comps[3]);
    }
    return true;
  }

  bool ParseDest(const Version& v, DestParam* d) {
    bool relative = false;
    size_t start = pos_;
    if (!ParseRegister(v, &d->type, &d->index, &relative)) return false;
    if (relative) return Fail(start, "a destination cannot be indexed by a0.x");
    d->writeMask = 0xF;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!ParseComponents(true, &d->writeMask)) return false;
    }
    return true;
  }

  bool ParseSource(const Version& v, SourceParam* s) {
    SkipSpace();
    size_t start = pos_;
    bool negate = Accept('-');
    bool complement = false;
    SkipSpace();
    if (pos_ + 1 < text_.size() && text_[pos_] == '1') {
      size_t save = pos_;
      ++pos_;
      if (Accept('-')) {
        complement = true;
      } else {
        pos_ = save;
      }
    }
    if (negate && complement) return Fail(start, "'-' and '1-' cannot be combined");
    if (!ParseRegister(v, &s->type, &s->index, &s->relative)) return false;
    std::string modifier;
    if (pos_ < text_.size() && text_[pos_] == '_') {
      size_t modStart = pos_;
      ++pos_;
      while (pos_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[pos_]))) modifier += text_[pos_++];
      modifier = Lower(modifier);
      if (modifier != "bias" && modifier != "bx2" && modifier != "x2" && modifier != "dz" &&
          modifier != "db" && modifier != "dw" && modifier != "da")
        return Fail(modStart, "unknown source modifier '_" + modifier + "'");
    }
    s->swizzle = kIdentitySwizzle;
    explicitSwizzle_ = false;
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!ParseComponents(false, &s->swizzle)) return false;
      explicitSwizzle_ = true;
    }
    using M = SourceModifier;
    M m = M::None;
    if (modifier.empty()) m = negate ? M::Negate : (complement ? M::Complement : M::None);
    else if (complement) return Fail(start, "'1-' cannot be combined with _" + modifier);
    else if (modifier == "bias") m = negate ? M::BiasNegate : M::Bias;
    else if (modifier == "bx2") m = negate ? M::SignNegate : M::Sign;
    else if (modifier == "x2") m = negate ? M::X2Negate : M::X2;
    else if (negate) return Fail(start, "'-' cannot be combined with _" + modifier);
    else if (modifier == "dz" || modifier == "db") m = M::DivideZ;
    else m = M::DivideW;
    s->modifier = m;
    return true;
  }

  bool ParseFloat(float* value) {
    SkipSpace();
    size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    std::string s = text_.substr(start, pos_ - start);
    if (!s.empty() && (s.back() == 'f' || s.back() == 'F') && s.find_first_of("xX") == std::string::npos) s.pop_back();
    char* end = nullptr;
    errno = 0;
    float f = std::strtof(s.c_str(), &end);
    if (s.empty() || *end != '\0') return Fail(start, "expected a number, found '" + s + "'");
    if (!std::isfinite(f)) return Fail(start, "'" + s + "' is not a finite single-precision number");
    *value = f;
    return true;
  }

 private:
  const SourceLine& line_;
  const std::string& text_;
  Diagnostic* error_;
  size_t pos_ = 0;
  bool explicitSwizzle_ = false;
};

// Vertex instructions on one scalar: written without a swizzle they read x, as the
// assemblers of the time encoded them (the instruction itself reads the w of its source).
bool IsScalarVertexOp(uint16_t op) {
  return op == kRcp || op == kRsq || op == kExp || op == kLog || op == kExpP || op == kLogP;
}

bool ParseVersion(const std::string& word, Version* v) {
  std::string w = Lower(word);
  for (char& c : w)
    if (c == '_') c = '.';
  if (w.size() != 6 || w[2] != '.' || w[4] != '.') return false;
  if (w.compare(0, 2, "vs") == 0) v->type = ShaderType::Vertex;
  else if (w.compare(0, 2, "ps") == 0) v->type = ShaderType::Pixel;
  else return false;
  if (!std::isdigit(static_cast<unsigned char>(w[3])) || !std::isdigit(static_cast<unsigned char>(w[5]))) return false;
  v->major = static_cast<uint8_t>(w[3] - '0');
  v->minor = static_cast<uint8_t>(w[5] - '0');
  return true;
}

bool KnownInAnyVersion(const std::string& name) {
  for (int pixel = 0; pixel < 2; ++pixel)
    for (int minor = 0; minor <= 4; ++minor)
      if (LookupOpcodeByName(name, Version{pixel ? ShaderType::Pixel : ShaderType::Vertex, 1,
                                           static_cast<uint8_t>(minor)}))
        return true;
  return false;
}

const char* const kUsages[] = {"position", "blendweight", "blendindices", "normal", "psize", "texcoord",
                               "tangent", "binormal", "tessfactor", "positiont", "color", "fog", "depth",
                               "sample"};

bool IsDeclarationUsage(const std::string& usage) {
  std::string base = usage;
  while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back()))) base.pop_back();
  for (const char* u : kUsages)
    if (base == u) return true;
  return false;
}

struct Placed {
  size_t firstToken;
  const SourceLine* line;
  size_t column;
};

}  // namespace

bool AssembleLines(const std::vector<SourceLine>& lines, std::vector<uint32_t>* tokens, Diagnostic* error) {
  Program program;
  bool haveVersion = false;
  std::vector<Placed> placed;
  size_t tokenCursor = 1;
  const SourceLine* versionLine = nullptr;
  for (const SourceLine& line : lines) {
    LineParser p(line, error);
    if (p.AtEnd()) continue;
    const size_t statementStart = p.pos();
    bool coissue = p.Accept('+');
    p.SkipSpace();
    const size_t wordStart = p.pos();
    std::string word = p.Word();
    if (word.empty()) return p.Fail(wordStart, "expected an instruction");
    std::string lower = Lower(word);
    if (!haveVersion) {
      if (coissue || !ParseVersion(word, &program.version))
        return p.Fail(wordStart, "expected the shader version (vs.1.1, ps.1.1, ps.1.4, ...) before '" + word + "'");
      const Version& v = program.version;
      if (v.major != 1 || (v.IsPixel() ? v.minor > 4 : v.minor > 1))
        return p.Fail(wordStart, "unsupported shader version " + word);
      haveVersion = true;
      versionLine = &line;
      if (!p.AtEnd()) return p.Fail(p.pos(), "unexpected text after the version");
      continue;
    }
    const Version& v = program.version;
    if (lower.size() > 3 && lower.compare(0, 4, "dcl_") == 0) {
      // D3D9-style input declarations: the D3D8 stream has no such token (the vertex
      // declaration binds inputs), so they are checked and dropped.
      if (v.IsPixel()) return p.Fail(wordStart, "dcl is not part of " + v.Name());
      if (!IsDeclarationUsage(lower.substr(4))) return p.Fail(wordStart, "unknown usage in '" + word + "'");
      DestParam d;
      size_t regStart = p.pos();
      if (!p.ParseDest(v, &d)) return false;
      if (d.type != RegisterType::Input || d.index >= 16)
        return p.Fail(regStart, "dcl declares input registers v0-v15 only");
      if (!p.AtEnd()) return p.Fail(p.pos(), "unexpected text after the declaration");
      continue;
    }
    // Mnemonic with result modifiers: mul_x2_sat, dp3_sat.
    std::string base = lower;
    std::vector<std::string> mods;
    size_t underscore = base.find('_');
    if (underscore != std::string::npos) {
      std::string rest = base.substr(underscore + 1);
      base = base.substr(0, underscore);
      size_t from = 0;
      while (from <= rest.size()) {
        size_t next = rest.find('_', from);
        mods.push_back(rest.substr(from, next == std::string::npos ? std::string::npos : next - from));
        if (next == std::string::npos) break;
        from = next + 1;
      }
    }
    const OpcodeInfo* info = LookupOpcodeByName(base, v);
    if (!info) {
      if (KnownInAnyVersion(base)) return p.Fail(wordStart, "'" + base + "' is not available in " + v.Name());
      return p.Fail(wordStart, "unknown instruction '" + word + "'");
    }
    Instruction ins;
    ins.opcode = info->opcode;
    ins.coissue = coissue;
    for (const std::string& m : mods) {
      if (m == "sat") ins.dest.saturate = true;
      else if (m == "x2") ins.dest.shift = 1;
      else if (m == "x4") ins.dest.shift = 2;
      else if (m == "x8") ins.dest.shift = 3;
      else if (m == "d2") ins.dest.shift = -1;
      else if (m == "d4") ins.dest.shift = -2;
      else if (m == "d8") ins.dest.shift = -3;
      else return p.Fail(wordStart, "unknown instruction modifier '_" + m + "'");
    }
    const int expected = (info->hasDest ? 1 : 0) + info->sourceCount + (info->opcode == kDef ? 4 : 0);
    int operand = 0;
    if (info->hasDest) {
      ins.hasDest = true;
      const bool sat = ins.dest.saturate;
      const int8_t shift = ins.dest.shift;
      if (p.AtEnd()) return p.Fail(p.pos(), std::string(info->name) + " needs " + std::to_string(expected) + " operands");
      if (!p.ParseDest(v, &ins.dest)) return false;
      ins.dest.saturate = sat;
      ins.dest.shift = shift;
      ++operand;
    }
    if (info->opcode == kDef) {
      for (int i = 0; i < 4; ++i, ++operand) {
        if (!p.Accept(',')) return p.Fail(p.pos(), "def needs a register and four numbers");
        if (!p.ParseFloat(&ins.defValues[i])) return false;
      }
    }
    ins.sourceCount = info->sourceCount;
    for (int i = 0; i < info->sourceCount; ++i, ++operand) {
      if (operand > 0 && !p.Accept(','))
        return p.Fail(p.pos(), std::string(info->name) + " needs " + std::to_string(expected) + " operands");
      if (p.AtEnd())
        return p.Fail(p.pos(), std::string(info->name) + " needs " + std::to_string(expected) + " operands");
      if (!p.ParseSource(v, &ins.sources[i])) return false;
      if (!v.IsPixel() && IsScalarVertexOp(ins.opcode) && !p.explicitSwizzle())
        ins.sources[i].swizzle = ReplicateSwizzle(0);
    }
    if (!p.AtEnd()) {
      if (p.text()[p.pos()] == ',')
        return p.Fail(p.pos(), std::string(info->name) + " takes only " + std::to_string(expected) + " operands");
      return p.Fail(p.pos(), "unexpected '" + p.text().substr(p.pos()) + "'");
    }
    placed.push_back({tokenCursor, &line, wordStart});
    (void)statementStart;
    tokenCursor += 1 + (ins.hasDest ? 1 : 0) + ins.sourceCount + (ins.opcode == kDef ? 4 : 0);
    program.instructions.push_back(ins);
  }
  if (!haveVersion) {
    if (error) {
      error->file = lines.empty() ? std::string() : lines.front().file;
      error->line = lines.empty() ? 1 : lines.front().line;
      error->column = 1;
      error->message = "no shader version (vs.1.1, ps.1.1, ps.1.4, ...) found";
    }
    return false;
  }
  std::vector<uint32_t> out = Encode(program);
  Program check;
  ShaderError problem;
  if (!DecodeAndValidate(out.data(), out.size(), &check, &problem)) {
    // Point at the statement whose tokens hold the offending word.
    const SourceLine* where = versionLine;
    size_t column = 0;
    for (const Placed& pl : placed) {
      if (pl.firstToken <= problem.offset) {
        where = pl.line;
        column = pl.column;
      }
    }
    if (error) {
      error->file = where ? where->file : std::string();
      error->line = where ? where->line : 0;
      error->column = where ? where->ColumnAt(column) : 1;
      error->message = problem.message;
    }
    return false;
  }
  *tokens = std::move(out);
  return true;
}

bool AssembleSource(const std::string& path, const std::string& text, const PreprocessOptions& options,
                    std::vector<uint32_t>* tokens, Diagnostic* error) {
  std::vector<SourceLine> lines;
  if (!Preprocess(path, text, options, &lines, error)) return false;
  if (AssembleLines(lines, tokens, error)) return true;
  if (error && error->file.empty()) error->file = path;  // nothing but comments in the file
  return false;
}

bool AssembleFile(const std::string& path, const PreprocessOptions& options, std::vector<uint32_t>* tokens,
                  Diagnostic* error) {
  std::string text;
  if (!options.reader(path, &text)) {
    if (error) {
      error->file = path;
      error->line = 0;
      error->column = 0;
      error->message = "cannot read the file";
    }
    return false;
  }
  return AssembleSource(path, text, options, tokens, error);
}

}  // namespace shasm
