// The program's one kind of message box: OK only, no icon, caption "Zorvane".
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace zorvane {

// Shows `text` modally over `parent` and returns once the user has pressed OK.
void ShowMessageBox(QWidget* parent, const QString& text);

// Replaces the box: while a hook is set, ShowMessageBox hands it the text and returns at
// once, showing nothing. Tests and the screenshot mode use this so that nothing waits for
// a click. An empty hook restores the box.
using MessageBoxHook = std::function<void(const QString& text)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace zorvane
