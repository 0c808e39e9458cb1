#include "app/icons/pixel_art.h"

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::icons {
namespace {

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint8_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
}

std::uint8_t Byte(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]);
}

TEST(PixelArtTest, ParsesRowsAndSkipsCommentsAndBlankLines) {
  PixelArt art;
  std::string error;
  ASSERT_TRUE(ParsePixelArt("# comment\n\nKR.\r\nWYG\n", &art, &error)) << error;
  EXPECT_EQ(art.width, 3);
  EXPECT_EQ(art.height, 2);
  EXPECT_EQ(art.pixels, (std::vector<std::uint8_t>{0, 9, 7, 15, 11, 8}));
}

TEST(PixelArtTest, RejectsBadDrawings) {
  const struct {
    const char* text;
    const char* error;
  } kCases[] = {
      {"KK\nK\n", "line 2: row of 1 pixels, expected 2"},
      {"# only\n\n", "no pixel rows"},
      {"KK\nKx\n", "line 2: no palette colour is written 'x'"},
      {"", "no pixel rows"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    PixelArt art;
    std::string error;
    EXPECT_FALSE(ParsePixelArt(c.text, &art, &error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(PixelArtTest, IcoHasOneFourBitImageWithPaletteAndMask) {
  PixelArt art;
  std::string error;
  // Top row: black, red, mask, white, then 12 more mask pixels; bottom row all yellow.
  ASSERT_TRUE(ParsePixelArt("KR.W............\nYYYYYYYYYYYYYYYY\n", &art, &error));
  const std::string ico = EncodeIco(art);
  // Directory, header, palette, 2 colour rows of 8 bytes, 2 mask rows of 4 bytes.
  ASSERT_EQ(ico.size(), 6u + 16 + 40 + 64 + 16 + 8);
  EXPECT_EQ(U32(ico, 0), 0x00010000u);  // reserved 0, type 1
  EXPECT_EQ(Byte(ico, 4), 1);           // one image
  EXPECT_EQ(Byte(ico, 6), 16);          // width
  EXPECT_EQ(Byte(ico, 7), 2);           // height
  EXPECT_EQ(Byte(ico, 8), 16);          // colours
  EXPECT_EQ(U32(ico, 14), 40u + 64 + 16 + 8);
  EXPECT_EQ(U32(ico, 18), 22u);
  EXPECT_EQ(U32(ico, 22 + 8), 4u);                    // bitmap height: colours and mask
  EXPECT_EQ(U32(ico, 22 + 40 + 9 * 4), 0x00FF0000u);  // palette entry 9, red, as B G R 0
  const std::size_t colour = 22 + 40 + 64;
  // Bottom row first: yellow (11) everywhere.
  EXPECT_EQ(Byte(ico, colour), 0xBB);
  // Top row: black, red | mask written black, white | the rest black.
  EXPECT_EQ(Byte(ico, colour + 8), 0x09);
  EXPECT_EQ(Byte(ico, colour + 9), 0x0F);
  EXPECT_EQ(Byte(ico, colour + 10), 0x00);
  const std::size_t mask = colour + 16;
  EXPECT_EQ(U32(ico, mask), 0u);  // bottom row opaque
  // Top row: pixel 2 and pixels 4..15 transparent.
  EXPECT_EQ(Byte(ico, mask + 4), 0x2F);
  EXPECT_EQ(Byte(ico, mask + 5), 0xFF);
  EXPECT_EQ(Byte(ico, mask + 6), 0);  // padding
}

TEST(PixelArtTest, XpmNamesMaskColourNone) {
  PixelArt art;
  std::string error;
  ASSERT_TRUE(ParsePixelArt("K.\n.R\n", &art, &error));
  const std::string xpm = EncodeXpm(art, "tiny");
  EXPECT_NE(xpm.find("static char *tiny[] = {"), std::string::npos);
  EXPECT_NE(xpm.find("\"2 2 16 1\""), std::string::npos);
  EXPECT_NE(xpm.find("\". c None\""), std::string::npos);
  EXPECT_NE(xpm.find("\"R c #FF0000\""), std::string::npos);
  EXPECT_NE(xpm.find("\"K.\",\n\".R\"\n};"), std::string::npos);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The committed .ico files are what their drawings make; a drawing changed without
// running the refresh-icons target fails here.
TEST(PixelArtTest, CommittedIconsMatchTheirDrawings) {
  const struct {
    const char* name;
    int size;
  } kIcons[] = {{"zorvane", 32}, {"trend1_cloud", 16}, {"trend2_arrow", 16}, {"trend3_sun", 16}};
  for (const auto& icon : kIcons) {
    SCOPED_TRACE(icon.name);
    const std::string base = std::string(ZORVANE_ICON_DIR) + "/" + icon.name;
    PixelArt art;
    std::string error;
    ASSERT_TRUE(ParsePixelArt(ReadFile(base + ".txt"), &art, &error)) << error;
    EXPECT_EQ(art.width, icon.size);
    EXPECT_EQ(art.height, icon.size);
    EXPECT_TRUE(EncodeIco(art) == ReadFile(base + ".ico"));
  }
}

}  // namespace
}  // namespace zorvane::icons
