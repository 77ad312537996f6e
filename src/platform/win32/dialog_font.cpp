#include "dialog_font.h"

#include <SDL_ttf.h>

#include <map>

namespace platform::win32 {

TTF_Font* OpenDialogFont(int pointSize, std::string* error) {
  static std::map<int, TTF_Font*> fonts;
  auto it = fonts.find(pointSize);
  if (it != fonts.end()) return it->second;
  if (!TTF_WasInit() && TTF_Init() != 0) {
    if (error) *error = std::string("cannot start the font renderer: ") + TTF_GetError();
    return nullptr;
  }
  // Point size on a 96 dpi screen, rounded to whole pixels the way a font height is asked for.
  const int pixels = (pointSize * 96 + 36) / 72;
  static const char* const kPaths[] = {
      "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
  };
  for (const char* path : kPaths) {
    if (TTF_Font* font = TTF_OpenFont(path, pixels)) {
      fonts[pointSize] = font;
      return font;
    }
  }
  if (error) *error = "the dialog font (Liberation Sans, package fonts-liberation2) is missing";
  return nullptr;
}

DialogMetrics MetricsForFont(TTF_Font* font) {
  DialogMetrics m;
  if (!font) return m;
  int width = 0, height = 0;
  TTF_SizeText(font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &width, &height);
  m.baseX = (width / 26 + 1) / 2;
  m.baseY = TTF_FontAscent(font) - TTF_FontDescent(font);
  m.itemHeight = m.baseY + 1;
  m.fieldHeight = m.itemHeight + 6;
  return m;
}

}  // namespace platform::win32
