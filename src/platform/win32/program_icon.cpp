// Windows show the program's icon in their title bar and task switcher; here SDL gets the
// largest image of the program's first icon group, up to 48 pixels.
#include <SDL.h>

#include "program_resources.h"
#include "window_table.h"

namespace platform::win32 {

void SetProgramIcon(SDL_Window* native) {
  if (!native) return;
  const std::vector<WORD> groups = ProgramResourceIds(RT_GROUP_ICON);
  if (groups.empty()) return;
  const auto* group = FindProgramResource(RT_GROUP_ICON, groups.front());
  std::vector<IconGroupEntry> entries;
  if (!group || !DecodeIconGroupResource(group->data(), group->size(), &entries)) return;
  const IconGroupEntry* best = nullptr;
  for (const auto& e : entries)
    if (e.size <= 48 && (!best || e.size > best->size)) best = &e;
  if (!best) return;
  const auto* bytes = FindProgramResource(RT_ICON, best->id);
  DecodedImage image;
  if (!bytes || !DecodeIconImageResource(bytes->data(), bytes->size(), &image)) return;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      image.rgba.data(), image.width, image.height, 32, image.width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return;
  SDL_SetWindowIcon(native, surface);
  SDL_FreeSurface(surface);
}

}  // namespace platform::win32
