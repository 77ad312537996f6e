#include "dialog_painter.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>

#include "dialog_font.h"
#include "window_system.h"

namespace platform::win32 {
namespace {

// The classic system colours.
constexpr uint32_t kFace = 0xD4D0C8;
constexpr uint32_t kHighlight = 0xFFFFFF;
constexpr uint32_t kShadow = 0x808080;
constexpr uint32_t kDarkShadow = 0x404040;
constexpr uint32_t kWindow = 0xFFFFFF;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kSelection = 0x0A246A;
constexpr uint32_t kSelectionText = 0xFFFFFF;
constexpr uint32_t kScrollTrack = 0xE8E6E2;

void SetColour(SDL_Renderer* r, uint32_t rgb) {
  SDL_SetRenderDrawColor(r, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
}

void Fill(SDL_Renderer* r, const RECT& box, uint32_t rgb) {
  SetColour(r, rgb);
  const SDL_Rect s{box.left, box.top, box.right - box.left, box.bottom - box.top};
  SDL_RenderFillRect(r, &s);
}

// One ring of a bevel: top and left in one colour, bottom and right in another.
void Ring(SDL_Renderer* r, const RECT& b, uint32_t topLeft, uint32_t bottomRight) {
  SetColour(r, topLeft);
  SDL_RenderDrawLine(r, b.left, b.top, b.right - 2, b.top);
  SDL_RenderDrawLine(r, b.left, b.top, b.left, b.bottom - 2);
  SetColour(r, bottomRight);
  SDL_RenderDrawLine(r, b.left, b.bottom - 1, b.right - 1, b.bottom - 1);
  SDL_RenderDrawLine(r, b.right - 1, b.top, b.right - 1, b.bottom - 1);
}

RECT Inset(const RECT& b, int n) { return RECT{b.left + n, b.top + n, b.right - n, b.bottom - n}; }

void Raised(SDL_Renderer* r, const RECT& b) {
  Ring(r, b, kHighlight, kDarkShadow);
  Ring(r, Inset(b, 1), kFace, kShadow);
}

void Sunken(SDL_Renderer* r, const RECT& b) {
  Ring(r, b, kShadow, kHighlight);
  Ring(r, Inset(b, 1), kDarkShadow, kFace);
}

void Frame(SDL_Renderer* r, const RECT& b, uint32_t rgb) {
  SetColour(r, rgb);
  const SDL_Rect s{b.left, b.top, b.right - b.left, b.bottom - b.top};
  SDL_RenderDrawRect(r, &s);
}

void FocusRect(SDL_Renderer* r, const RECT& b) {
  SetColour(r, kText);
  for (int x = b.left; x < b.right; x += 2) {
    SDL_RenderDrawPoint(r, x, b.top);
    SDL_RenderDrawPoint(r, x, b.bottom - 1);
  }
  for (int y = b.top; y < b.bottom; y += 2) {
    SDL_RenderDrawPoint(r, b.left, y);
    SDL_RenderDrawPoint(r, b.right - 1, y);
  }
}

// A small black triangle pointing down (or up), centred in the box.
void Arrow(SDL_Renderer* r, const RECT& b, bool down) {
  SetColour(r, kText);
  const int cx = (b.left + b.right) / 2 - 1;
  const int cy = (b.top + b.bottom) / 2 - 2;
  for (int i = 0; i < 4; ++i) {
    const int y = down ? cy + i : cy + 3 - i;
    SDL_RenderDrawLine(r, cx - 3 + i, y, cx + 3 - i, y);
  }
}

}  // namespace

DialogPainter::DialogPainter(DialogState& dialog) : dialog_(dialog) {
  SDL_Window* native = NativeWindow(dialog.window);
  if (native) renderer_ = SDL_CreateRenderer(native, -1, SDL_RENDERER_SOFTWARE);
  font_ = OpenDialogFont(8, nullptr);
}

DialogPainter::~DialogPainter() {
  for (auto& [key, text] : texts_) SDL_DestroyTexture(text.texture);
  for (auto& [control, texture] : pictures_) SDL_DestroyTexture(texture);
  if (renderer_) SDL_DestroyRenderer(renderer_);
}

const DialogPainter::Text& DialogPainter::TextTexture(const std::string& text, uint32_t rgb) {
  auto [it, added] = texts_.try_emplace({text, rgb});
  if (added && font_ && !text.empty()) {
    const SDL_Color colour{static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                           static_cast<Uint8>(rgb), 255};
    if (SDL_Surface* s = TTF_RenderText_Blended(font_, text.c_str(), colour)) {
      it->second.texture = SDL_CreateTextureFromSurface(renderer_, s);
      it->second.width = s->w;
      it->second.height = s->h;
      SDL_FreeSurface(s);
    }
  }
  return it->second;
}

void DialogPainter::DrawText(const std::string& text, const RECT& box, bool centred,
                             uint32_t rgb) {
  const Text& t = TextTexture(text, rgb);
  if (!t.texture) return;
  const int x = centred ? (box.left + box.right - t.width) / 2 : box.left;
  const int y = (box.top + box.bottom - t.height) / 2;
  const SDL_Rect clip{box.left, box.top, box.right - box.left, box.bottom - box.top};
  SDL_RenderSetClipRect(renderer_, &clip);
  const SDL_Rect dst{x, y, t.width, t.height};
  SDL_RenderCopy(renderer_, t.texture, nullptr, &dst);
  SDL_RenderSetClipRect(renderer_, nullptr);
}

void DialogPainter::DrawComboField(const ControlState& c) {
  const bool focused = dialog_.focus == c.window;
  Sunken(renderer_, c.rect);
  const RECT inner = Inset(c.rect, 2);
  Fill(renderer_, inner, kWindow);
  const int button = 16;
  const RECT arrowBox{inner.right - button, inner.top, inner.right, inner.bottom};
  Fill(renderer_, arrowBox, kFace);
  if (c.dropped) {
    Frame(renderer_, arrowBox, kShadow);
  } else {
    Raised(renderer_, arrowBox);
  }
  Arrow(renderer_, arrowBox, true);
  const RECT textBox{inner.left + 1, inner.top + 1, arrowBox.left - 1, inner.bottom - 1};
  const bool highlighted = focused && !c.dropped;
  if (highlighted) {
    Fill(renderer_, textBox, kSelection);
    FocusRect(renderer_, textBox);
  }
  if (c.selection >= 0 && c.selection < static_cast<int>(c.items.size())) {
    const RECT t{textBox.left + 2, textBox.top, textBox.right - 1, textBox.bottom};
    DrawText(c.items[c.selection], t, false, highlighted ? kSelectionText : kText);
  }
}

void DialogPainter::DrawDropList(const ControlState& c) {
  const RECT list = DropListRect(dialog_, c);
  const int rows = DropListRows(dialog_, c);
  const int count = static_cast<int>(c.items.size());
  const bool scroll = count > rows;
  Fill(renderer_, list, kWindow);
  Frame(renderer_, list, kText);
  const int right = scroll ? list.right - 1 - 16 : list.right - 1;
  const int h = dialog_.metrics.itemHeight;
  for (int i = 0; i < rows && c.top + i < count; ++i) {
    const int item = c.top + i;
    const RECT row{list.left + 1, list.top + 1 + i * h, right, list.top + 1 + (i + 1) * h};
    const bool hot = item == c.hot;
    if (hot) Fill(renderer_, row, kSelection);
    const RECT t{row.left + 2, row.top, row.right - 1, row.bottom};
    DrawText(c.items[item], t, false, hot ? kSelectionText : kText);
  }
  if (scroll) {
    const RECT bar{right, list.top + 1, list.right - 1, list.bottom - 1};
    Fill(renderer_, bar, kScrollTrack);
    const RECT up{bar.left, bar.top, bar.right, bar.top + 16};
    const RECT down{bar.left, bar.bottom - 16, bar.right, bar.bottom};
    for (const RECT& b : {up, down}) {
      Fill(renderer_, b, kFace);
      Raised(renderer_, b);
    }
    Arrow(renderer_, up, false);
    Arrow(renderer_, down, true);
    const int track = (down.top - up.bottom);
    const int thumb = std::max(8, track * rows / count);
    const int y = up.bottom + (track - thumb) * c.top / std::max(1, count - rows);
    const RECT t{bar.left, y, bar.right, y + thumb};
    Fill(renderer_, t, kFace);
    Raised(renderer_, t);
  }
}

void DialogPainter::DrawControl(const ControlState& c) {
  const bool focused = dialog_.focus == c.window;
  const std::string title = [&] {
    char buffer[256];
    GetWindowTextA(c.window, buffer, sizeof buffer);
    return std::string(buffer);
  }();
  switch (c.kind) {
    case ControlKind::PushButton: {
      // The focused push button is the one Enter presses, so it wears the default frame.
      const ControlState* focusedControl = FindControl(dialog_.focus);
      const bool focusIsButton = focusedControl && focusedControl->kind == ControlKind::PushButton;
      const bool isDefault = focusIsButton ? focused : c.isDefault;
      RECT b = c.rect;
      Fill(renderer_, b, kFace);
      if (isDefault) {
        Frame(renderer_, b, kText);
        b = Inset(b, 1);
      }
      if (c.pressed) {
        Frame(renderer_, b, kShadow);
      } else {
        Raised(renderer_, b);
      }
      RECT t = b;
      if (c.pressed) {
        t.left += 1;
        t.top += 1;
        t.right += 1;
        t.bottom += 1;
      }
      DrawText(title, t, true, kText);
      if (focused) FocusRect(renderer_, Inset(c.rect, 4));
      break;
    }
    case ControlKind::CheckBox: {
      const int size = 13;
      const int top = (c.rect.top + c.rect.bottom - size) / 2;
      const RECT box{c.rect.left, top, c.rect.left + size, top + size};
      Sunken(renderer_, box);
      Fill(renderer_, Inset(box, 2), c.pressed ? kFace : kWindow);
      if (c.check == BST_CHECKED) {
        SetColour(renderer_, kText);
        const int x = box.left + 3, y = box.top + 5;
        for (int i = 0; i < 3; ++i) {
          SDL_RenderDrawLine(renderer_, x, y + i, x + 2, y + 2 + i);
          SDL_RenderDrawLine(renderer_, x + 2, y + 2 + i, x + 6, y - 2 + i);
        }
      }
      const Text& t = TextTexture(title, kText);
      const RECT textBox{box.right + 4, c.rect.top, c.rect.right, c.rect.bottom};
      DrawText(title, textBox, false, kText);
      if (focused && t.texture) {
        const int y = (c.rect.top + c.rect.bottom - t.height) / 2;
        FocusRect(renderer_, RECT{textBox.left - 1, y, std::min<int>(c.rect.right, textBox.left + t.width + 1),
                                  y + t.height});
      }
      break;
    }
    case ControlKind::GroupBox: {
      const int half = dialog_.metrics.baseY / 2;
      const RECT frame{c.rect.left, c.rect.top + half, c.rect.right, c.rect.bottom};
      // Etched: a shadow line with a highlight line beside it.
      Frame(renderer_, RECT{frame.left, frame.top, frame.right - 1, frame.bottom - 1}, kShadow);
      Frame(renderer_, RECT{frame.left + 1, frame.top + 1, frame.right, frame.bottom}, kHighlight);
      if (!title.empty()) {
        const Text& t = TextTexture(title, kText);
        const RECT label{c.rect.left + 8, c.rect.top, c.rect.left + 8 + t.width + 4,
                         c.rect.top + dialog_.metrics.baseY};
        Fill(renderer_, label, kFace);
        DrawText(title, RECT{label.left + 2, label.top, label.right, label.bottom}, false, kText);
      }
      break;
    }
    case ControlKind::Text: {
      RECT b = c.rect;
      if (c.style & WS_BORDER) {
        Frame(renderer_, b, kText);
        b = Inset(b, 1);
      } else if (c.style & SS_SUNKEN) {
        Ring(renderer_, b, kShadow, kHighlight);
        b = Inset(b, 1);
      }
      const RECT t{b.left, b.top, b.right, b.top + std::max<int>(dialog_.metrics.baseY, b.bottom - b.top)};
      DrawText(title, t, (c.style & SS_TYPEMASK) == SS_CENTER, kText);
      break;
    }
    case ControlKind::Picture: {
      RECT b = c.rect;
      if (c.style & WS_BORDER) {
        Frame(renderer_, b, kText);
        b = Inset(b, 1);
      } else if (c.style & SS_SUNKEN) {
        Ring(renderer_, b, kShadow, kHighlight);
        b = Inset(b, 1);
      }
      auto [it, added] = pictures_.try_emplace(&c, nullptr);
      if (added && c.picture.width > 0) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint8_t*>(c.picture.rgba.data()), c.picture.width, c.picture.height, 32,
            c.picture.width * 4, SDL_PIXELFORMAT_RGBA32);
        if (s) {
          it->second = SDL_CreateTextureFromSurface(renderer_, s);
          SDL_FreeSurface(s);
        }
      }
      if (it->second) {
        const SDL_Rect dst{b.left, b.top, c.picture.width, c.picture.height};
        SDL_RenderCopy(renderer_, it->second, nullptr, &dst);
      }
      break;
    }
    case ControlKind::ComboBox:
      DrawComboField(c);
      break;
  }
}

void DialogPainter::Paint() {
  if (!renderer_) return;
  Fill(renderer_, RECT{0, 0, dialog_.clientWidth, dialog_.clientHeight}, kFace);
  // Group boxes first, so the controls inside them draw over their frames.
  for (HWND h : dialog_.controls)
    if (const ControlState* c = FindControl(h); c && c->kind == ControlKind::GroupBox)
      DrawControl(*c);
  for (HWND h : dialog_.controls)
    if (const ControlState* c = FindControl(h); c && c->kind != ControlKind::GroupBox)
      DrawControl(*c);
  if (const ControlState* c = FindControl(dialog_.focus);
      c && c->kind == ControlKind::ComboBox && c->dropped)
    DrawDropList(*c);
  SDL_RenderPresent(renderer_);
}

}  // namespace platform::win32
