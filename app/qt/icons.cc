#include "app/qt/icons.h"

#include <QString>

// The resources live in a static library; this registers them before first use.
static void InitIconResources() { Q_INIT_RESOURCE(zorvane); }

namespace zorvane {
namespace {

QIcon LoadIcon(const char* name) {
  static const bool initialised = (InitIconResources(), true);
  (void)initialised;
  return QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(name));
}

}  // namespace

QIcon ProgramIcon() { return LoadIcon("zorvane.ico"); }

QIcon TrendIcon(int index) {
  switch (index) {
    case 1:
      return LoadIcon("trend1_cloud.ico");
    case 2:
      return LoadIcon("trend2_arrow.ico");
    case 3:
      return LoadIcon("trend3_sun.ico");
    default:
      return QIcon();
  }
}

}  // namespace zorvane
