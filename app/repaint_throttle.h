// Spaces the repaints of a long command's progress: at most one per interval, so a bar
// that moves for every one of thousands of files costs a handful of repaints a second.
#pragma once

#include <chrono>

namespace zorvane {

class RepaintThrottle final {
 public:
  using Clock = std::chrono::steady_clock;

  // `painted`: when the window was last repainted.
  RepaintThrottle(Clock::duration interval, Clock::time_point painted)
      : interval_(interval), last_(painted) {}

  // Whether a repaint at `now` is due: `interval` or more since the last one. A due
  // repaint counts as done.
  bool Due(Clock::time_point now) {
    if (now - last_ < interval_) return false;
    last_ = now;
    return true;
  }

  // Notes a repaint made for another reason.
  void Painted(Clock::time_point now) { last_ = now; }

 private:
  Clock::duration interval_;
  Clock::time_point last_;
};

}  // namespace zorvane
