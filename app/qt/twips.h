// Window layouts are given in twips (1/1440 inch); this turns them into pixels at the
// logical resolution of the screen a widget is shown on.
#pragma once

#include <QPaintDevice>
#include <QRect>
#include <QSize>

#include "app/window_layout.h"

namespace zorvane {

class TwipsScale {
 public:
  explicit TwipsScale(const QPaintDevice& device)
      : dpi_x_(device.logicalDpiX()), dpi_y_(device.logicalDpiY()) {}
  TwipsScale(int dpi_x, int dpi_y) : dpi_x_(dpi_x), dpi_y_(dpi_y) {}

  int X(int twips) const { return TwipsToPixels(twips, dpi_x_); }
  int Y(int twips) const { return TwipsToPixels(twips, dpi_y_); }

  // Left, top, width, height in twips. Both edges are converted, so controls that meet in
  // twips meet in pixels too.
  QRect Rect(int left, int top, int width, int height) const {
    const int x = X(left);
    const int y = Y(top);
    return QRect(x, y, X(left + width) - x, Y(top + height) - y);
  }
  QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }

 private:
  int dpi_x_;
  int dpi_y_;
};

}  // namespace zorvane
