// Form1 drawn with Win32 common controls. The window only shows the state that Form1
// holds and forwards each click to the Form1 handler of the same name; the rows of the
// result list are sorted by the list control itself (list_view_sort.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "app/win32/window_procedure.h"
#include "platform/platform.h"
#include "platform/win32/windows_include.h"

namespace zorvane::win32 {

class Application;

class MainWindow final : public Form1View {
 public:
  MainWindow(Application& app, std::string program_dir);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls, runs Form_Load and shows the window.
  bool Create(int show_command);
  // The window, or null once it has been closed.
  HWND hwnd() const { return hwnd_; }
  HWND control(int id) const;
  Form1& form() { return form_; }
  // The command number of the menu command named `name` in the layout table; 0 for none.
  static int MenuCommandId(std::string_view name);
  // The id of the control the layout names `name`; 0 for none.
  static int ControlId(std::string_view name);

  // Form1View
  void Refresh(const Form1State& state) override;
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void DoEvents() override;
  void CloseMainWindow() override;
  void ShowAboutBox() override;
  bool SortListView(std::vector<ListViewRow>* rows, std::int32_t column, std::int32_t kind,
                    std::int32_t order) override;

 private:
  template <typename Window>
  friend LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  // Keeps the window the procedure was created for and counts it as open.
  void Attach(HWND hwnd);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void CreateControls();
  void CreateMenuBar();
  void OnCommand(int id);
  void OnPaint();
  int Px(int twips) const;

  void DrawRows(const std::vector<ListViewRow>& rows);
  void DrawList(int id, const std::vector<std::string>& items);
  void DrawFileList(const std::string& folder);
  void DrawCombo(const std::vector<ComboRow>& rows, int selected);
  void DrawListViewMode(int view);

  Application& app_;
  Form1 form_;
  HWND hwnd_ = nullptr;
  HIMAGELIST small_images_ = nullptr;
  // What the controls show now, so a refresh touches only what changed.
  Form1State drawn_;
  bool drawn_once_ = false;
  // Parameter value of the next list row; every row gets its own.
  LPARAM next_row_param_ = 1;
};

}  // namespace zorvane::win32
