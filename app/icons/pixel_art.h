// Icons drawn as text: each pixel one letter of the 16-colour palette. The icon tool
// turns these drawings into the .ico files both window skins load, so the pictures have
// one readable source.
//
// Text form: lines beginning with "#" are comments, empty lines are skipped, every other
// line is one row of pixels, top row first, all rows of the same length. Letters:
//   K black   m maroon  g green  o olive   n navy  p purple   t teal  . silver
//   G grey    R red     L lime   Y yellow  B blue  M fuchsia  C aqua  W white
// Silver (0xC0C0C0) is the mask colour: its pixels are transparent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::icons {

// The standard 16-colour palette, 0xRRGGBB, by palette index.
inline constexpr std::uint32_t kPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
// Palette index of the mask colour 0xC0C0C0.
inline constexpr std::uint8_t kMaskIndex = 7;

struct PixelArt {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // palette indexes, row by row from the top

  std::uint8_t at(int x, int y) const { return pixels[y * width + x]; }
};

// Reads a drawing. False, with a message naming the line, when a row has another length
// than the first, a letter is not in the palette, there are no rows, or a side is longer
// than 256 pixels.
bool ParsePixelArt(std::string_view text, PixelArt* art, std::string* error);

// The drawing as a one-image .ico file: 4 bits per pixel with the palette above and an
// AND mask that makes mask-colour pixels transparent (their colour bits are black, as
// icon drawing expects).
std::string EncodeIco(const PixelArt& art);

// The drawing as an XPM image named `name`, mask-colour pixels "None": the format that
// desktop entries and X11 tools read without any library.
std::string EncodeXpm(const PixelArt& art, std::string_view name);

}  // namespace zorvane::icons
