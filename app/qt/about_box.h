// frmAbout drawn with Qt Widgets: a fixed dialog without owner, minimise or maximise box,
// and without a task-bar button. It deletes itself when closed; the next Version command
// makes a new one, whose Form_Load sets the texts anew.
//
// Controls carry their own names as object names ("cmdOK", "lblVersion", ...).
#pragma once

#include <QDialog>

#include "app/frm_about.h"
#include "platform/platform.h"

class QLabel;
class QPushButton;

namespace zorvane {

class AboutBox final : public QDialog, public FrmAboutView {
  Q_OBJECT

 public:
  // A top-level window: it has no parent, so closing the main window leaves it open.
  // Runs Form_Load.
  explicit AboutBox(Platform& platform);

  frmAbout& form() { return form_; }

  // FrmAboutView.
  void Refresh(const FrmAboutState& state) override;
  void ShowMessage(const std::string& text) override;
  void CloseAboutBox() override;

 private:
  frmAbout form_;
  QPushButton* cmd_ok_ = nullptr;
  QPushButton* cmd_sys_info_ = nullptr;
  QLabel* lbl_description_ = nullptr;
  QLabel* lbl_disclaimer_ = nullptr;
  QLabel* lbl_title_ = nullptr;
  QLabel* lbl_version_ = nullptr;
};

}  // namespace zorvane
