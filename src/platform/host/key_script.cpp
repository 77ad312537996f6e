#include "key_script.h"

#include <cctype>

namespace platform::host {
namespace {

constexpr long kMaxFrame = 1000000000;

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ParseFrame(const std::string& text, long* frame) {
  if (text.empty() || text.size() > 10) return false;
  long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxFrame) return false;
  *frame = value;
  return true;
}

bool KeyFromName(const std::string& name, ScriptedKey* key) {
  static const struct {
    const char* name;
    UINT vk;
  } kNamed[] = {{"esc", VK_ESCAPE},  {"escape", VK_ESCAPE}, {"space", VK_SPACE},
                {"enter", VK_RETURN}, {"return", VK_RETURN}, {"tab", VK_TAB},
                {"up", VK_UP},        {"down", VK_DOWN},     {"left", VK_LEFT},
                {"right", VK_RIGHT}};
  const std::string n = Lower(name);
  if (n == "quit") {
    key->quit = true;
    return true;
  }
  for (const auto& k : kNamed) {
    if (n == k.name) {
      key->virtualKey = k.vk;
      return true;
    }
  }
  if (n.size() == 1 && std::isalnum(static_cast<unsigned char>(n[0]))) {
    key->virtualKey = static_cast<UINT>(std::toupper(static_cast<unsigned char>(n[0])));
    return true;
  }
  if (n.size() >= 2 && n.size() <= 3 && n[0] == 'f') {
    long number = 0;
    if (ParseFrame(n.substr(1), &number) && number >= 1 && number <= 12) {
      key->virtualKey = VK_F1 + static_cast<UINT>(number - 1);
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseKeyScript(const std::string& script, std::vector<ScriptedKey>* keys, std::string* error) {
  std::vector<ScriptedKey> parsed;
  const std::string all = Trim(script);
  if (!all.empty()) {
    size_t start = 0;
    for (;;) {
      const size_t comma = all.find(',', start);
      const std::string item =
          Trim(all.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      auto fail = [&](const std::string& why) {
        if (error) *error = "key script item '" + item + "': " + why;
        return false;
      };
      const size_t at = item.find('@');
      if (item.empty()) return fail("empty item");
      if (at == std::string::npos) return fail("expected KEY@FRAME or KEY@FROM-TO");
      ScriptedKey key;
      if (!KeyFromName(Trim(item.substr(0, at)), &key))
        return fail("unknown key (use esc, space, enter, tab, up, down, left, right, f1-f12, "
                    "a letter, a digit or quit)");
      const std::string frames = Trim(item.substr(at + 1));
      const size_t dash = frames.find('-');
      if (dash == std::string::npos) {
        if (!ParseFrame(frames, &key.pressFrame)) return fail("bad frame number");
        key.releaseFrame = key.pressFrame + 1;
      } else {
        if (!ParseFrame(Trim(frames.substr(0, dash)), &key.pressFrame) ||
            !ParseFrame(Trim(frames.substr(dash + 1)), &key.releaseFrame))
          return fail("bad frame number");
        if (key.releaseFrame <= key.pressFrame)
          return fail("a held key must be released after a later frame than it is pressed");
      }
      parsed.push_back(key);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  if (keys) *keys = std::move(parsed);
  return true;
}

}  // namespace platform::host
