#include "cli/headless_view.h"

#include <cstdio>
#include <utility>

namespace zorvane {

void HeadlessView::Refresh(const Form1State& state) {
  if (!progress_) return;
  if (state.pbar_visible && state.pbar_max > 0) {
    const int percent = static_cast<int>(100.0 * state.pbar_value / state.pbar_max);
    if (percent == last_percent_) return;  // redraw only when the figure changes
    last_percent_ = percent;
    std::fprintf(stderr, "\r%s %3d%% (%.0f/%.0f)", state.label1.c_str(), percent,
                 state.pbar_value, state.pbar_max);
    std::fflush(stderr);
    progress_shown_ = true;
  } else if (progress_shown_) {
    std::fputs("\n", stderr);
    progress_shown_ = false;
    last_percent_ = -1;
  }
}

void HeadlessView::ShowMessage(const std::string& text, MessageKind kind) {
  messages_.push_back({text, kind});
}

std::vector<HeadlessView::Message> HeadlessView::TakeMessages() {
  return std::exchange(messages_, {});
}

}  // namespace zorvane
