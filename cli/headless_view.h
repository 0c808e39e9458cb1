// The view of Form1 that zorvane-cli uses: no window, message boxes collected for the
// driver to print, progress of long commands drawn on stderr when it is a terminal.
#pragma once

#include <string>
#include <vector>

#include "app/form1.h"

namespace zorvane {

class HeadlessView final : public Form1View {
 public:
  // `progress_to_terminal`: draw the progress bar on stderr.
  explicit HeadlessView(bool progress_to_terminal) : progress_(progress_to_terminal) {}

  void Refresh(const Form1State& state) override;
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void DoEvents() override {}
  void CloseMainWindow() override {}
  void ShowAboutBox() override {}

  struct Message {
    std::string text;
    MessageKind kind;
  };
  // The message boxes shown since the last call, in order.
  std::vector<Message> TakeMessages();

 private:
  bool progress_;
  bool progress_shown_ = false;
  int last_percent_ = -1;
  std::vector<Message> messages_;
};

}  // namespace zorvane
