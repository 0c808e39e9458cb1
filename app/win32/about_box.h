// frmAbout drawn as a Win32 dialog window: fixed frame, no task-bar button, Enter and Esc
// on OK, the System Information button below the visible area but reachable by Tab and
// Alt+S.
#pragma once

#include <string>

#include "app/frm_about.h"
#include "app/win32/window_procedure.h"
#include "platform/win32/windows_include.h"

namespace zorvane::win32 {

class Application;

class AboutBox final : public FrmAboutView {
 public:
  explicit AboutBox(Application& app);
  ~AboutBox() override;
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  // Creates the window, runs Form_Load and shows it. False when it cannot be created.
  bool Create();
  // The window, or null once it has been closed.
  HWND hwnd() const { return hwnd_; }
  frmAbout& form() { return form_; }
  void BringForward();

  // FrmAboutView
  void Refresh(const FrmAboutState& state) override;
  void ShowMessage(const std::string& text) override;
  void CloseAboutBox() override;

 private:
  template <typename Window>
  friend LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  // Keeps the window the procedure was created for and counts it as open.
  void Attach(HWND hwnd);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  HWND control(int id) const { return ::GetDlgItem(hwnd_, id); }
  int Px(int twips) const;

  Application& app_;
  frmAbout form_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
};

}  // namespace zorvane::win32
