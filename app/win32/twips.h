// Window layouts are given in twips (1/1440 inch); the Win32 controls take pixels.
#pragma once

#include "app/window_layout.h"

namespace zorvane::win32 {

using ::zorvane::TwipsToPixels;
using ::zorvane::TwipsRect;

}  // namespace zorvane::win32
