// Window layouts are given in twips (1/1440 inch); the Win32 controls take pixels.
#pragma once

namespace zorvane::win32 {

// `twips` at `dots_per_inch`, rounded to the nearest pixel (15 twips per pixel at 96).
constexpr int TwipsToPixels(int twips, int dots_per_inch) {
  const long long scaled = static_cast<long long>(twips) * dots_per_inch;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

// A rectangle in twips: left, top, width, height.
struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

static_assert(TwipsToPixels(15, 96) == 1);
static_assert(TwipsToPixels(5880, 96) == 392);
static_assert(TwipsToPixels(3690, 96) == 246);
static_assert(TwipsToPixels(5880, 144) == 588);

}  // namespace zorvane::win32
