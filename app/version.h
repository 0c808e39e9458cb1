// The program's version and the texts the About box builds from it.
#pragma once

#include <string>

namespace zorvane {

inline constexpr int kVersionMajor = 0;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 2;

// "Zorvane" followed by "のﾊﾞｰｼﾞｮﾝ情報": the About box's caption.
std::string AboutCaption();
// "ﾊﾞｰｼﾞｮﾝ " followed by major.minor.revision: the About box's version label.
std::string AboutVersionLabel();

}  // namespace zorvane
