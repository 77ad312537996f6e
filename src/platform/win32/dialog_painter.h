// Draws a running dialog in its SDL window in the classic look: grey face, 3D bevels, a focus
// rectangle, the default button's heavier frame, and the open list of a combo box on top.
#pragma once

#include <map>
#include <string>

#include "dialog_state.h"

struct SDL_Renderer;
struct SDL_Texture;
typedef struct _TTF_Font TTF_Font;

namespace platform::win32 {

class DialogPainter {
 public:
  explicit DialogPainter(DialogState& dialog);
  ~DialogPainter();
  DialogPainter(const DialogPainter&) = delete;
  DialogPainter& operator=(const DialogPainter&) = delete;

  void Paint();

 private:
  struct Text {
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
  };
  const Text& TextTexture(const std::string& text, uint32_t rgb);
  void DrawText(const std::string& text, const RECT& box, bool centred, uint32_t rgb);
  void DrawControl(const ControlState& c);
  void DrawComboField(const ControlState& c);
  void DrawDropList(const ControlState& c);

  DialogState& dialog_;
  SDL_Renderer* renderer_ = nullptr;
  TTF_Font* font_ = nullptr;
  std::map<std::pair<std::string, uint32_t>, Text> texts_;
  std::map<const ControlState*, SDL_Texture*> pictures_;
};

}  // namespace platform::win32
