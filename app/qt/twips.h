// Window layouts are given in twips (1/1440 inch); this turns them into pixels at the
// logical resolution of the screen a widget is shown on.
#pragma once

#include <span>

#include <QPaintDevice>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include "app/window_layout.h"

namespace zorvane {

class TwipsScale {
 public:
  explicit TwipsScale(const QPaintDevice& device)
      : dpi_x_(device.logicalDpiX()), dpi_y_(device.logicalDpiY()) {}
  TwipsScale(int dpi_x, int dpi_y) : dpi_x_(dpi_x), dpi_y_(dpi_y) {}

  int X(int twips) const { return TwipsToPixels(twips, dpi_x_); }
  int Y(int twips) const { return TwipsToPixels(twips, dpi_y_); }

  QRect Rect(const TwipsRect& twips) const {
    const PixelRect pixels = TwipsRectToPixels(twips, dpi_x_, dpi_y_);
    return QRect(pixels.left, pixels.top, pixels.width, pixels.height);
  }
  QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }

 private:
  int dpi_x_;
  int dpi_y_;
};

// Puts every control of `controls`, found among the children of `parent` by its name, in
// its place, shown or hidden as the window opens.
inline void PlaceControls(QWidget* parent, const TwipsScale& scale,
                          std::span<const ControlLayout> controls) {
  for (const ControlLayout& control : controls) {
    auto* widget =
        parent->findChild<QWidget*>(QString::fromLatin1(control.name), Qt::FindDirectChildrenOnly);
    widget->setGeometry(scale.Rect(control.rect));
    widget->setHidden(!control.visible);
  }
}

}  // namespace zorvane
