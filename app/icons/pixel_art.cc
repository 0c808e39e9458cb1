#include "app/icons/pixel_art.h"

#include <cstdio>

namespace zorvane::icons {
namespace {

// The letter of each palette index.
constexpr char kLetters[] = "Kmgonpt.GRLYBMCW";

int PaletteIndex(char letter) {
  for (int i = 0; i < 16; ++i) {
    if (kLetters[i] == letter) return i;
  }
  return -1;
}

void PutU16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

// Bytes of one bitmap row of `bits_per_pixel`, padded to whole 32-bit words.
std::uint32_t RowBytes(int width, int bits_per_pixel) {
  return ((static_cast<std::uint32_t>(width) * bits_per_pixel + 31) / 32) * 4;
}

}  // namespace

bool ParsePixelArt(std::string_view text, PixelArt* art, std::string* error) {
  *art = PixelArt();
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    const std::string where = "line " + std::to_string(line_number) + ": ";
    if (art->height == 0) {
      art->width = static_cast<int>(line.size());
    } else if (static_cast<int>(line.size()) != art->width) {
      *error = where + "row of " + std::to_string(line.size()) + " pixels, expected " +
               std::to_string(art->width);
      return false;
    }
    for (char letter : line) {
      const int index = PaletteIndex(letter);
      if (index < 0) {
        *error = where + "no palette colour is written '" + std::string(1, letter) + "'";
        return false;
      }
      art->pixels.push_back(static_cast<std::uint8_t>(index));
    }
    ++art->height;
  }
  if (art->height == 0) {
    *error = "no pixel rows";
    return false;
  }
  if (art->width > 256 || art->height > 256) {
    *error = "an icon side is at most 256 pixels";
    return false;
  }
  return true;
}

std::string EncodeIco(const PixelArt& art) {
  const std::uint32_t xor_row = RowBytes(art.width, 4);
  const std::uint32_t and_row = RowBytes(art.width, 1);
  const std::uint32_t image_bytes = (xor_row + and_row) * art.height;
  const std::uint32_t header_bytes = 40 + 16 * 4;
  constexpr std::uint32_t kImageOffset = 6 + 16;

  std::string out;
  // Icon directory with one entry.
  PutU16(out, 0);
  PutU16(out, 1);                                      // icon
  PutU16(out, 1);                                      // one image
  out.push_back(static_cast<char>(art.width & 0xFF));  // 256 is written as 0
  out.push_back(static_cast<char>(art.height & 0xFF));
  out.push_back(16);  // colours
  out.push_back(0);
  PutU16(out, 1);  // planes
  PutU16(out, 4);  // bits per pixel
  PutU32(out, header_bytes + image_bytes);
  PutU32(out, kImageOffset);

  // BITMAPINFOHEADER; the height counts the colour bitmap and the mask.
  PutU32(out, 40);
  PutU32(out, art.width);
  PutU32(out, art.height * 2);
  PutU16(out, 1);
  PutU16(out, 4);
  PutU32(out, 0);  // no compression
  PutU32(out, image_bytes);
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, 16);
  PutU32(out, 0);
  for (std::uint32_t rgb : kPalette) PutU32(out, rgb);  // B, G, R, 0 in memory order

  // Colour bitmap, bottom row first; masked pixels are black.
  for (int y = art.height - 1; y >= 0; --y) {
    std::string row(xor_row, '\0');
    for (int x = 0; x < art.width; ++x) {
      std::uint8_t index = art.at(x, y);
      if (index == kMaskIndex) index = 0;
      row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
    }
    out += row;
  }
  // AND mask, bottom row first; a set bit is a transparent pixel.
  for (int y = art.height - 1; y >= 0; --y) {
    std::string row(and_row, '\0');
    for (int x = 0; x < art.width; ++x) {
      if (art.at(x, y) == kMaskIndex)
        row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    }
    out += row;
  }
  return out;
}

std::string EncodeXpm(const PixelArt& art, std::string_view name) {
  std::string out = "/* XPM */\nstatic char *" + std::string(name) + "[] = {\n";
  out += "\"" + std::to_string(art.width) + " " + std::to_string(art.height) + " 16 1\",\n";
  for (int i = 0; i < 16; ++i) {
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%06X", static_cast<unsigned>(kPalette[i]));
    out +=
        "\"" + std::string(1, kLetters[i]) + " c " + (i == kMaskIndex ? "None" : colour) + "\",\n";
  }
  for (int y = 0; y < art.height; ++y) {
    out += "\"";
    for (int x = 0; x < art.width; ++x) out.push_back(kLetters[art.at(x, y)]);
    out += y + 1 < art.height ? "\",\n" : "\"\n";
  }
  out += "};\n";
  return out;
}

}  // namespace zorvane::icons
