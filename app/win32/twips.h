// Window layouts are given in twips (1/1440 inch); the Win32 controls take pixels.
#pragma once

#include "app/window_layout.h"

namespace zorvane::win32 {

using ::zorvane::ControlLayout;
using ::zorvane::FindControl;
using ::zorvane::PixelRect;
using ::zorvane::TwipsRect;
using ::zorvane::TwipsRectToPixels;
using ::zorvane::TwipsToPixels;

}  // namespace zorvane::win32
