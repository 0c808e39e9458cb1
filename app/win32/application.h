// The Win32 program around its windows: the message loop, the count of open windows (the
// program ends when the last one closes), the hidden owner that keeps the About box off
// the task bar, and what every window shares (instance, screen resolution, font).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/win32/windows_include.h"

namespace zorvane::win32 {

class AboutBox;
class MainWindow;

class Application final {
 public:
  Application(HINSTANCE instance, Platform& platform);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Creates and shows the main window. False when a window cannot be created.
  bool Start(int show_command);
  // Runs the message loop until the last window has been closed; the exit code.
  int Run();
  // Handles the messages that are waiting, then returns (a command's yield).
  void DoEvents();

  // Shows the About box modeless and without an owner window of the program, or brings
  // the open one forward.
  void ShowAboutBox();

  // Every top-level window reports its creation and destruction; when none is left the
  // message loop ends.
  void WindowOpened() { ++open_windows_; }
  void WindowClosed();

  HINSTANCE instance() const { return instance_; }
  Platform& platform() { return platform_; }
  // Dots per inch of the screen: twips are converted with it.
  int dpi() const { return dpi_; }
  // The font of every control: 9 points, a Japanese face.
  HFONT font() const { return font_; }
  // An invisible window that owns the About box, so the box has no task-bar button and
  // is not tied to the main window.
  HWND hidden_owner() const { return hidden_owner_; }

  // Shows a message box with OK only, caption "Zorvane", owned by `owner`.
  void ShowMessageBox(HWND owner, const std::string& text);
  // Tests replace the message box, which would wait for a person.
  void set_message_hook(std::function<void(HWND, const std::string&)> hook) {
    message_hook_ = std::move(hook);
  }

  MainWindow* main_window() { return main_.get(); }
  AboutBox* about_box() { return about_.get(); }

 private:
  // Gives the keyboard interface (Tab, access keys, Enter, Esc) of `message`'s window.
  bool RouteDialogKeys(MSG* message);

  HINSTANCE instance_;
  Platform& platform_;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  HWND hidden_owner_ = nullptr;
  int open_windows_ = 0;
  bool quitting_ = false;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<AboutBox> about_;
  std::function<void(HWND, const std::string&)> message_hook_;
};

}  // namespace zorvane::win32
