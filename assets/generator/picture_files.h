// Writing pictures: GIF through giflib, the 8-bit BMP through SDL. Both carry
// the default palette's colours, so the game's colour matching keeps every index.
#pragma once

#include <string>

#include "assets/generator/canvas.h"

namespace assets {

// The GIF holds only the colours the picture uses, and no transparency: the game
// itself makes index 0 clear where it wants.
bool write_gif(const std::string& path, const Canvas& picture);
// An 8-bit BMP with the whole default palette.
bool write_bmp(const std::string& path, const Canvas& picture);

}  // namespace assets
