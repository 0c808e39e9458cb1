// The program's pictures, from the .ico files built into the program as resources.
#pragma once

#include <QIcon>

namespace zorvane {

// The 32 x 32 line chart of the window, the About box and the desktop entry.
QIcon ProgramIcon();

// The trend icon of a result row: 1 cloud, 2 arrow, 3 sun; a null icon for anything else.
QIcon TrendIcon(int index);

}  // namespace zorvane
