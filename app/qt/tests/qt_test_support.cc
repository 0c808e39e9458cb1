#include "app/qt/tests/qt_test_support.h"

#include <utility>

#include <QApplication>

#include "app/qt/message_box.h"

namespace zorvane::testing {

void EnsureQApplication() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "zorvane-test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives as long as the test program
}

MessageBoxRecorder::MessageBoxRecorder() {
  SetMessageBoxHook([this](const QString& text) { texts_.append(text); });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHook(nullptr); }

QStringList MessageBoxRecorder::Take() { return std::exchange(texts_, {}); }

}  // namespace zorvane::testing
