#include "dialog_template.h"

namespace platform::win32 {
namespace {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Word(WORD* v) {
    if (pos_ > size_ || size_ - pos_ < 2) return false;
    *v = static_cast<WORD>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool Dword(DWORD* v) {
    WORD lo, hi;
    if (!Word(&lo) || !Word(&hi)) return false;
    *v = lo | (static_cast<DWORD>(hi) << 16);
    return true;
  }
  bool Short(short* v) {
    WORD w;
    if (!Word(&w)) return false;
    *v = static_cast<short>(w);
    return true;
  }
  // A NUL-terminated UTF-16 string; characters beyond Latin-1 become '?'.
  bool Text(std::string* s) {
    s->clear();
    for (;;) {
      WORD c;
      if (!Word(&c)) return false;
      if (c == 0) return true;
      s->push_back(c < 256 ? static_cast<char>(c) : '?');
    }
  }
  // A name-or-ordinal field: 0 (none), 0xFFFF then an ordinal, or a string.
  bool NameOrOrdinal(std::string* name, WORD* ordinal, bool* isOrdinal) {
    WORD first;
    if (!Word(&first)) return false;
    *isOrdinal = false;
    name->clear();
    if (first == 0) return true;
    if (first == 0xFFFF) {
      *isOrdinal = true;
      return Word(ordinal);
    }
    name->push_back(first < 256 ? static_cast<char>(first) : '?');
    std::string rest;
    if (!Text(&rest)) return false;
    *name += rest;
    return true;
  }
  bool Skip(size_t n) {
    if (n > size_ - pos_) return false;
    pos_ += n;
    return true;
  }
  bool AlignDword() { return Skip((4 - pos_ % 4) % 4); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* dialog) {
  if (!data) return false;
  Reader r(data, size);
  DialogTemplate d;
  WORD count = 0;
  if (!r.Dword(&d.style) || !r.Dword(&d.exStyle) || !r.Word(&count) || !r.Short(&d.x) ||
      !r.Short(&d.y) || !r.Short(&d.cx) || !r.Short(&d.cy))
    return false;
  // The extended template starts with 1, 0xFFFF and is not what this engine's dialogs use.
  if ((d.style & 0xFFFF) == 1 && (d.style >> 16) == 0xFFFF) return false;
  std::string menu, windowClass;
  WORD ordinal = 0;
  bool isOrdinal = false;
  if (!r.NameOrOrdinal(&menu, &ordinal, &isOrdinal) ||
      !r.NameOrOrdinal(&windowClass, &ordinal, &isOrdinal) || !r.Text(&d.caption))
    return false;
  if (d.style & DS_SETFONT) {
    if (!r.Word(&d.pointSize) || !r.Text(&d.typeface)) return false;
  }
  for (WORD i = 0; i < count; ++i) {
    DialogItem item;
    WORD extra = 0;
    bool classIsAtom = false;
    if (!r.AlignDword() || !r.Dword(&item.style) || !r.Dword(&item.exStyle) || !r.Short(&item.x) ||
        !r.Short(&item.y) || !r.Short(&item.cx) || !r.Short(&item.cy) || !r.Word(&item.id) ||
        !r.NameOrOrdinal(&item.className, &item.classAtom, &classIsAtom) ||
        !r.NameOrOrdinal(&item.text, &item.resourceId, &item.textIsResource) || !r.Word(&extra) ||
        !r.Skip(extra))
      return false;
    if (!classIsAtom && item.className.empty()) return false;
    d.items.push_back(std::move(item));
  }
  *dialog = std::move(d);
  return true;
}

}  // namespace platform::win32
