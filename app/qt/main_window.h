// Form1 drawn with Qt Widgets: the main window's controls at their fixed places, its two
// menus, and the forwarding of every click to the handler of the same name.
//
// Controls carry their own names as object names ("Command1", "ListView1", ...), so tests
// and tools find them with findChild.
#pragma once

#include <string>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "app/form1.h"
#include "platform/platform.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace zorvane {

class AboutBox;

class MainWindow final : public QMainWindow, public Form1View {
  Q_OBJECT

 public:
  // `program_dir` holds url.dat and the settings file. Runs Form_Load.
  MainWindow(Platform& platform, std::string program_dir);
  ~MainWindow() override;

  Form1& form() { return form_; }
  // The About box while it is open, else null.
  AboutBox* about_box() const { return about_box_; }

  // Form1View.
  void Refresh(const Form1State& state) override;
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void DoEvents() override;
  void CloseMainWindow() override;
  void ShowAboutBox() override;

 private:
  void CreateControls();
  void CreateMenus();
  void SetTabOrder();
  void ShowRows(const std::vector<ListViewRow>& rows);
  void ShowSelector(const std::vector<ComboRow>& rows, int list_index);

  Platform& platform_;
  Form1 form_;

  QLabel* label1_ = nullptr;
  QProgressBar* pbar_ = nullptr;
  QTreeWidget* list_view1_ = nullptr;
  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QPushButton* command3_ = nullptr;
  QComboBox* combo1_ = nullptr;
  QListWidget* list1_ = nullptr;
  QListWidget* list2_ = nullptr;
  QListWidget* file1_ = nullptr;
  QListWidget* dir1_ = nullptr;

  // What the widgets show, to rebuild them only when the state changed.
  std::vector<ListViewRow> shown_rows_;
  std::vector<ComboRow> shown_selector_;
  std::vector<std::string> shown_list1_;

  QPointer<AboutBox> about_box_;
};

}  // namespace zorvane
