#include "app/version.h"

#include "app/form1.h"

namespace zorvane {

std::string AboutCaption() { return std::string(kAppTitle) + "のﾊﾞｰｼﾞｮﾝ情報"; }

std::string AboutVersionLabel() {
  return "ﾊﾞｰｼﾞｮﾝ " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

}  // namespace zorvane
