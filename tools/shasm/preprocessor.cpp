#include "preprocessor.h"

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

namespace shasm {

bool ReadFileFromDisk(const std::string& path, std::string* contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return false;
  *contents = s.str();
  return true;
}

namespace {

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxExpansionDepth = 64;
constexpr size_t kMaxLineLength = 1 << 16;
constexpr size_t kMaxExpandedTokens = 1 << 16;  // macros that double at every level stop here

struct Token {
  std::string text;
  int column = 1;
  enum Kind { Identifier, Number, Space, Punct } kind = Punct;
  bool expanded = false;  // came from a macro: every character reports the invocation's column
};

struct Macro {
  bool functionLike = false;
  std::vector<std::string> params;
  std::vector<Token> body;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::vector<Token> Tokenize(const std::string& text, const std::vector<int>& columns) {
  std::vector<Token> tokens;
  size_t i = 0;
  auto col = [&](size_t k) { return k < columns.size() ? columns[k] : (columns.empty() ? 1 : columns.back() + 1); };
  while (i < text.size()) {
    Token t;
    t.column = col(i);
    size_t start = i;
    char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
      t.kind = Token::Space;
    } else if (IsIdentStart(c)) {
      while (i < text.size() && IsIdentChar(text[i])) ++i;
      t.kind = Token::Identifier;
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               (c == '.' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))) {
      // A pp-number: digits, letters, dots and exponent signs stay together ("1.5e-3", "0x1F").
      ++i;
      while (i < text.size()) {
        char d = text[i];
        if (IsIdentChar(d) || d == '.') { ++i; continue; }
        if ((d == '+' || d == '-') && (text[i - 1] == 'e' || text[i - 1] == 'E')) { ++i; continue; }
        break;
      }
      t.kind = Token::Number;
    } else {
      ++i;
      t.kind = Token::Punct;
    }
    t.text = text.substr(start, i - start);
    tokens.push_back(std::move(t));
  }
  return tokens;
}

// The register modifiers that shader sources write directly after a register name, which
// authors also wrote directly after a macro standing for a register (TEX_NORMALMAP_bx2).
bool IsRegisterModifierSuffix(const std::string& s) {
  std::string l;
  for (char c : s) l += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l == "_bx2" || l == "_bias" || l == "_x2" || l == "_dz" || l == "_db" || l == "_dw" ||
         l == "_da";
}

class Preprocessor {
 public:
  Preprocessor(const PreprocessOptions& options, std::vector<SourceLine>* out, Diagnostic* error)
      : options_(options), out_(out), error_(error) {
    for (const auto& [name, value] : options.defines) {
      Macro m;
      std::vector<int> cols(value.size(), 1);
      m.body = Tokenize(value, cols);
      macros_[name] = m;
    }
  }

  bool RunFile(const std::string& path, const std::string& text, int depth);

 private:
  bool Fail(const std::string& file, int line, int column, const std::string& message) {
    if (error_) {
      error_->file = file;
      error_->line = line;
      error_->column = column;
      error_->message = message;
    }
    return false;
  }

  bool Directive(const std::string& file, int line, const std::vector<Token>& tokens, size_t at,
                 int depth, bool* stop);
  bool Expand(const std::vector<Token>& in, std::set<std::string>& disabled, int depth,
              std::vector<Token>* out, const std::string& file, int line);
  bool Evaluate(const std::string& file, int line, std::vector<Token> tokens, size_t at, long long* value);
  bool Active() const { return conditions_.empty() || conditions_.back().active; }

  struct Condition {
    bool parentActive;
    bool active;
    bool taken;
    bool sawElse;
    int line;
  };

  const PreprocessOptions& options_;
  std::vector<SourceLine>* out_;
  Diagnostic* error_;
  std::map<std::string, Macro> macros_;
  std::vector<Condition> conditions_;
};

size_t SkipSpace(const std::vector<Token>& t, size_t i) {
  while (i < t.size() && t[i].kind == Token::Space) ++i;
  return i;
}

bool Preprocessor::Expand(const std::vector<Token>& in, std::set<std::string>& disabled, int depth,
                          std::vector<Token>* out, const std::string& file, int line) {
  if (depth > kMaxExpansionDepth)
    return Fail(file, line, in.empty() ? 1 : in[0].column, "macro expansion nests too deeply");
  for (size_t i = 0; i < in.size(); ++i) {
    const Token& t = in[i];
    if (t.kind != Token::Identifier || disabled.count(t.text)) {
      out->push_back(t);
      continue;
    }
    auto it = macros_.find(t.text);
    std::string suffix;
    if (it == macros_.end()) {
      // NAME_bx2 where NAME is a register macro.
      for (size_t cut = t.text.rfind('_'); cut != std::string::npos && cut > 0;
           cut = t.text.rfind('_', cut - 1)) {
        std::string head = t.text.substr(0, cut);
        std::string tail = t.text.substr(cut);
        auto m = macros_.find(head);
        if (IsRegisterModifierSuffix(tail) && m != macros_.end() && !m->second.functionLike &&
            !disabled.count(head)) {
          it = m;
          suffix = tail;
          break;
        }
        if (cut == 0) break;
      }
      if (it == macros_.end()) {
        out->push_back(t);
        continue;
      }
    }
    const std::string name = it->first;
    const Macro& macro = it->second;
    std::vector<Token> replacement;
    if (!macro.functionLike) {
      replacement = macro.body;
    } else {
      size_t j = SkipSpace(in, i + 1);
      if (j >= in.size() || in[j].text != "(") {  // a function-like macro name alone is kept
        out->push_back(t);
        continue;
      }
      std::vector<std::vector<Token>> args(1);
      int nesting = 0;
      size_t k = j + 1;
      for (; k < in.size(); ++k) {
        const std::string& s = in[k].text;
        if (s == "(") ++nesting;
        if (s == ")") {
          if (nesting == 0) break;
          --nesting;
        }
        if (s == "," && nesting == 0) {
          args.emplace_back();
          continue;
        }
        args.back().push_back(in[k]);
      }
      if (k >= in.size()) return Fail(file, line, t.column, "unterminated argument list of macro " + name);
      if (args.size() == 1 && macro.params.empty()) {
        bool blank = true;
        for (const Token& a : args[0]) blank = blank && a.kind == Token::Space;
        if (blank) args.clear();
      }
      if (args.size() != macro.params.size())
        return Fail(file, line, t.column, "macro " + name + " takes " + std::to_string(macro.params.size()) +
                                              " arguments, " + std::to_string(args.size()) + " given");
      std::vector<std::vector<Token>> expandedArgs;
      for (auto& a : args) {
        while (!a.empty() && a.front().kind == Token::Space) a.erase(a.begin());
        while (!a.empty() && a.back().kind == Token::Space) a.pop_back();
        std::vector<Token> e;
        if (!Expand(a, disabled, depth + 1, &e, file, line)) return false;
        expandedArgs.push_back(std::move(e));
      }
      for (const Token& b : macro.body) {
        bool substituted = false;
        if (b.kind == Token::Identifier) {
          for (size_t p = 0; p < macro.params.size(); ++p) {
            if (macro.params[p] == b.text) {
              replacement.insert(replacement.end(), expandedArgs[p].begin(), expandedArgs[p].end());
              substituted = true;
              break;
            }
          }
        }
        if (!substituted) replacement.push_back(b);
      }
      i = k;  // past the closing parenthesis
    }
    for (Token& r : replacement) {
      r.column = t.column;
      r.expanded = true;
    }
    disabled.insert(name);
    std::vector<Token> expanded;
    bool ok = Expand(replacement, disabled, depth + 1, &expanded, file, line);
    disabled.erase(name);
    if (!ok) return false;
    out->insert(out->end(), expanded.begin(), expanded.end());
    if (out->size() > kMaxExpandedTokens)
      return Fail(file, line, t.column, "macro " + name + " expands to more than " +
                                            std::to_string(kMaxExpandedTokens) + " tokens");
    if (!suffix.empty()) {
      Token s;
      s.text = suffix;
      s.column = t.column;
      s.kind = Token::Identifier;
      s.expanded = true;
      out->push_back(s);
    }
  }
  return true;
}

// Integer constant expressions of #if and #elif.
class ExpressionParser {
 public:
  explicit ExpressionParser(const std::vector<Token>& t) {
    for (const Token& x : t)
      if (x.kind != Token::Space) tokens_.push_back(x);
  }
  bool Parse(long long* value, std::string* error, int* column) {
    bool ok = Conditional(value);
    if (ok && pos_ < tokens_.size()) {
      error_ = "unexpected '" + tokens_[pos_].text + "' in #if expression";
      errorColumn_ = tokens_[pos_].column;
      ok = false;
    }
    if (!ok) {
      *error = error_.empty() ? "malformed #if expression" : error_;
      *column = errorColumn_;
    }
    return ok;
  }

 private:
  bool Peek(const char* op) const { return pos_ < tokens_.size() && tokens_[pos_].text == op; }
  bool Peek2(const char* op) const {
    return pos_ + 1 < tokens_.size() && tokens_[pos_].text == std::string(1, op[0]) &&
           tokens_[pos_ + 1].text == std::string(1, op[1]);
  }
  bool Bad(const std::string& message) {
    error_ = message;
    errorColumn_ = pos_ < tokens_.size() ? tokens_[pos_].column : (tokens_.empty() ? 1 : tokens_.back().column);
    return false;
  }
  bool Conditional(long long* v) {
    if (!Binary(0, v)) return false;
    if (Peek("?")) {
      ++pos_;
      long long a, b;
      if (!Conditional(&a)) return false;
      if (!Peek(":")) return Bad("expected ':' in #if expression");
      ++pos_;
      if (!Conditional(&b)) return false;
      *v = *v ? a : b;
    }
    return true;
  }
  // Precedence levels from loosest to tightest.
  bool MatchOp(int level, std::string* op) {
    static const std::vector<std::vector<std::string>> levels = {
        {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
    for (const std::string& candidate : levels[level]) {
      if (candidate.size() == 2) {
        if (Peek2(candidate.c_str())) {
          pos_ += 2;
          *op = candidate;
          return true;
        }
      } else if (Peek(candidate.c_str())) {
        // '|' must not be the start of '||', nor '&' of '&&', nor '<' of '<<' or '<='.
        if (pos_ + 1 < tokens_.size()) {
          const std::string& n = tokens_[pos_ + 1].text;
          if ((candidate == "|" && n == "|") || (candidate == "&" && n == "&") ||
              ((candidate == "<" || candidate == ">") && (n == "=" || n == candidate)))
            continue;
        }
        ++pos_;
        *op = candidate;
        return true;
      }
    }
    return false;
  }
  bool Binary(int level, long long* v) {
    if (level == 10) return Unary(v);
    if (!Binary(level + 1, v)) return false;
    std::string op;
    while (MatchOp(level, &op)) {
      long long r;
      if (!Binary(level + 1, &r)) return false;
      if (op == "||") *v = *v || r;
      else if (op == "&&") *v = *v && r;
      else if (op == "|") *v |= r;
      else if (op == "^") *v ^= r;
      else if (op == "&") *v &= r;
      else if (op == "==") *v = *v == r;
      else if (op == "!=") *v = *v != r;
      else if (op == "<") *v = *v < r;
      else if (op == ">") *v = *v > r;
      else if (op == "<=") *v = *v <= r;
      else if (op == ">=") *v = *v >= r;
      else if (op == "<<") *v = (r < 0 || r > 62) ? 0 : *v << r;
      else if (op == ">>") *v = (r < 0 || r > 62) ? 0 : *v >> r;
      else if (op == "+") *v += r;
      else if (op == "-") *v -= r;
      else if (op == "*") *v *= r;
      else {
        if (r == 0) return Bad("division by zero in #if expression");
        *v = op == "/" ? *v / r : *v % r;
      }
    }
    return true;
  }
  bool Unary(long long* v) {
    if (Peek("!") || Peek("-") || Peek("+") || Peek("~")) {
      std::string op = tokens_[pos_++].text;
      if (!Unary(v)) return false;
      if (op == "!") *v = !*v;
      else if (op == "-") *v = -*v;
      else if (op == "~") *v = ~*v;
      return true;
    }
    if (Peek("(")) {
      ++pos_;
      if (!Conditional(v)) return false;
      if (!Peek(")")) return Bad("expected ')' in #if expression");
      ++pos_;
      return true;
    }
    if (pos_ >= tokens_.size()) return Bad("#if expression ends too early");
    const Token& t = tokens_[pos_];
    if (t.kind == Token::Number) {
      std::string s = t.text;
      while (!s.empty() && (s.back() == 'u' || s.back() == 'U' || s.back() == 'l' || s.back() == 'L')) s.pop_back();
      char* end = nullptr;
      *v = std::strtoll(s.c_str(), &end, 0);
      if (s.empty() || *end != '\0') return Bad("'" + t.text + "' is not an integer");
      ++pos_;
      return true;
    }
    if (t.kind == Token::Identifier) {  // an identifier left after expansion counts as 0
      *v = 0;
      ++pos_;
      return true;
    }
    return Bad("unexpected '" + t.text + "' in #if expression");
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  std::string error_;
  int errorColumn_ = 1;
};

bool Preprocessor::Evaluate(const std::string& file, int line, std::vector<Token> tokens, size_t at,
                            long long* value) {
  // defined NAME and defined(NAME) are resolved before expansion.
  std::vector<Token> resolved;
  for (size_t i = at; i < tokens.size(); ++i) {
    if (tokens[i].kind == Token::Identifier && tokens[i].text == "defined") {
      size_t j = SkipSpace(tokens, i + 1);
      bool paren = j < tokens.size() && tokens[j].text == "(";
      if (paren) j = SkipSpace(tokens, j + 1);
      if (j >= tokens.size() || tokens[j].kind != Token::Identifier)
        return Fail(file, line, tokens[i].column, "defined needs a macro name");
      Token r;
      r.kind = Token::Number;
      r.column = tokens[i].column;
      r.text = macros_.count(tokens[j].text) ? "1" : "0";
      if (paren) {
        j = SkipSpace(tokens, j + 1);
        if (j >= tokens.size() || tokens[j].text != ")")
          return Fail(file, line, tokens[i].column, "missing ')' after defined(");
      }
      resolved.push_back(r);
      i = j;
      continue;
    }
    resolved.push_back(tokens[i]);
  }
  std::vector<Token> expanded;
  std::set<std::string> disabled;
  if (!Expand(resolved, disabled, 0, &expanded, file, line)) return false;
  std::string message;
  int column = 1;
  ExpressionParser parser(expanded);
  if (!parser.Parse(value, &message, &column)) return Fail(file, line, column, message);
  return true;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool Preprocessor::Directive(const std::string& file, int line, const std::vector<Token>& t,
                             size_t at, int depth, bool* stop) {
  *stop = false;
  size_t i = SkipSpace(t, at + 1);  // past '#'
  if (i >= t.size()) return true;    // the null directive
  const std::string name = t[i].text;
  const int column = t[i].column;
  size_t rest = SkipSpace(t, i + 1);

  if (name == "if" || name == "ifdef" || name == "ifndef") {
    Condition c{Active(), false, false, false, line};
    if (c.parentActive) {
      long long v = 0;
      if (name == "if") {
        if (rest >= t.size()) return Fail(file, line, column, "#if without an expression");
        if (!Evaluate(file, line, t, rest, &v)) return false;
      } else {
        if (rest >= t.size() || t[rest].kind != Token::Identifier)
          return Fail(file, line, column, "#" + name + " needs a macro name");
        v = macros_.count(t[rest].text) ? 1 : 0;
        if (name == "ifndef") v = !v;
      }
      c.active = v != 0;
      c.taken = c.active;
    }
    conditions_.push_back(c);
    return true;
  }
  if (name == "elif" || name == "else" || name == "endif") {
    if (conditions_.empty()) return Fail(file, line, column, "#" + name + " without #if");
    Condition& c = conditions_.back();
    if (name == "endif") {
      conditions_.pop_back();
      return true;
    }
    if (c.sawElse) return Fail(file, line, column, "#" + name + " after #else");
    if (name == "else") {
      c.sawElse = true;
      c.active = c.parentActive && !c.taken;
      c.taken = true;
      return true;
    }
    if (c.parentActive && !c.taken) {
      long long v = 0;
      if (rest >= t.size()) return Fail(file, line, column, "#elif without an expression");
      if (!Evaluate(file, line, t, rest, &v)) return false;
      c.active = v != 0;
      c.taken = c.active;
    } else {
      c.active = false;
    }
    return true;
  }
  if (!Active()) return true;  // other directives in skipped blocks are not looked at

  if (name == "define") {
    if (rest >= t.size() || t[rest].kind != Token::Identifier)
      return Fail(file, line, column, "#define needs a macro name");
    const std::string macroName = t[rest].text;
    Macro m;
    size_t j = rest + 1;
    if (j < t.size() && t[j].text == "(") {  // no space before '(' makes it function-like
      m.functionLike = true;
      j = SkipSpace(t, j + 1);
      if (j < t.size() && t[j].text == ")") {
        ++j;
      } else {
        for (;;) {
          if (j >= t.size() || t[j].kind != Token::Identifier)
            return Fail(file, line, j < t.size() ? t[j].column : column, "bad parameter list in #define " + macroName);
          m.params.push_back(t[j].text);
          j = SkipSpace(t, j + 1);
          if (j < t.size() && t[j].text == ",") {
            j = SkipSpace(t, j + 1);
            continue;
          }
          if (j < t.size() && t[j].text == ")") {
            ++j;
            break;
          }
          return Fail(file, line, j < t.size() ? t[j].column : column, "bad parameter list in #define " + macroName);
        }
      }
    }
    j = SkipSpace(t, j);
    size_t end = t.size();
    while (end > j && t[end - 1].kind == Token::Space) --end;
    m.body.assign(t.begin() + j, t.begin() + end);
    macros_[macroName] = std::move(m);
    return true;
  }
  if (name == "undef") {
    if (rest >= t.size() || t[rest].kind != Token::Identifier)
      return Fail(file, line, column, "#undef needs a macro name");
    macros_.erase(t[rest].text);
    return true;
  }
  if (name == "include") {
    std::string target;
    if (rest < t.size() && (t[rest].text == "\"" || t[rest].text == "<")) {
      const std::string close = t[rest].text == "\"" ? "\"" : ">";
      size_t j = rest + 1;
      for (; j < t.size() && t[j].text != close; ++j) target += t[j].text;
      if (j >= t.size()) return Fail(file, line, t[rest].column, "unterminated file name in #include");
    }
    if (target.empty()) return Fail(file, line, column, "#include needs a \"file\" name");
    if (depth >= kMaxIncludeDepth) return Fail(file, line, column, "#include nests too deeply");
    std::string path = DirectoryOf(file) + target;
    std::string contents;
    if (!options_.reader(path, &contents))
      return Fail(file, line, t[rest].column, "cannot open include file \"" + path + "\"");
    return RunFile(path, contents, depth + 1);
  }
  if (name == "error") {
    std::string text;
    for (size_t j = rest; j < t.size(); ++j) text += t[j].text;
    return Fail(file, line, column, "#error " + text);
  }
  if (name == "pragma" || name == "line") return true;
  *stop = false;
  return Fail(file, line, column, "unknown directive #" + name);
}

bool Preprocessor::RunFile(const std::string& path, const std::string& text, int depth) {
  // Physical lines, with comments blanked out (spaces keep the columns).
  std::vector<std::string> lines;
  {
    std::string current;
    for (char c : text) {
      if (c == '\n') {
        if (!current.empty() && current.back() == '\r') current.pop_back();
        lines.push_back(current);
        current.clear();
      } else {
        current += c;
      }
    }
    if (!current.empty()) lines.push_back(current);
  }
  bool inBlockComment = false;
  int blockStartLine = 0, blockStartColumn = 0;
  const size_t conditionDepth = conditions_.size();
  for (size_t n = 0; n < lines.size(); ++n) {
    const int lineNo = static_cast<int>(n) + 1;
    // Join continuation lines; the joined text reports the first line's number.
    std::string raw = lines[n];
    std::vector<int> columns;
    for (size_t k = 0; k < raw.size(); ++k) columns.push_back(static_cast<int>(k) + 1);
    while (!raw.empty() && raw.back() == '\\' && n + 1 < lines.size()) {
      raw.pop_back();
      columns.pop_back();
      ++n;
      for (size_t k = 0; k < lines[n].size(); ++k) columns.push_back(static_cast<int>(k) + 1);
      raw += lines[n];
    }
    if (raw.size() > kMaxLineLength) return Fail(path, lineNo, 1, "line is too long");
    std::string clean(raw.size(), ' ');
    bool inString = false;
    for (size_t k = 0; k < raw.size(); ++k) {
      char c = raw[k];
      if (inBlockComment) {
        if (c == '*' && k + 1 < raw.size() && raw[k + 1] == '/') {
          inBlockComment = false;
          ++k;
        }
        continue;
      }
      if (inString) {
        clean[k] = c;
        if (c == '"') inString = false;
        continue;
      }
      if (c == '"') {
        inString = true;
        clean[k] = c;
        continue;
      }
      if (c == '/' && k + 1 < raw.size() && raw[k + 1] == '/') break;
      if (c == ';') break;
      if (c == '/' && k + 1 < raw.size() && raw[k + 1] == '*') {
        inBlockComment = true;
        blockStartLine = lineNo;
        blockStartColumn = columns[k];
        ++k;
        continue;
      }
      clean[k] = c;
    }
    std::vector<Token> tokens = Tokenize(clean, columns);
    size_t first = SkipSpace(tokens, 0);
    if (first < tokens.size() && tokens[first].text == "#") {
      bool stop = false;
      if (!Directive(path, lineNo, tokens, first, depth, &stop)) return false;
      continue;
    }
    if (!Active()) continue;
    if (first >= tokens.size()) continue;  // blank line
    std::vector<Token> expanded;
    std::set<std::string> disabled;
    if (!Expand(tokens, disabled, 0, &expanded, path, lineNo)) return false;
    SourceLine out;
    out.file = path;
    out.line = lineNo;
    for (const Token& t : expanded) {
      out.text += t.text;
      for (size_t k = 0; k < t.text.size(); ++k)
        out.columns.push_back(t.expanded ? t.column : t.column + static_cast<int>(k));
    }
    out_->push_back(std::move(out));
  }
  if (inBlockComment) return Fail(path, blockStartLine, blockStartColumn, "unterminated /* comment");
  if (conditions_.size() > conditionDepth)
    return Fail(path, conditions_.back().line, 1, "#if without #endif");
  return true;
}

}  // namespace

bool Preprocess(const std::string& path, const std::string& text, const PreprocessOptions& options,
                std::vector<SourceLine>* out, Diagnostic* error) {
  Preprocessor p(options, out, error);
  out->clear();
  return p.RunFile(path, text, 0);
}

}  // namespace shasm
