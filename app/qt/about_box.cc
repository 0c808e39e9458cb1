#include "app/qt/about_box.h"

#include <QLabel>
#include <QPushButton>

#include "app/qt/icons.h"
#include "app/qt/message_box.h"
#include "app/qt/twips.h"
#include "app/window_layout.h"

namespace zorvane {
namespace {

using namespace frm_about_layout;

QLabel* MakeLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

}  // namespace

AboutBox::AboutBox(Platform& platform) : QDialog(nullptr), form_(platform, *this) {
  // A tool window keeps the box off the task bar; the fixed size gives it a dialog frame.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_DeleteOnClose);
  // Tool windows do not keep a program running by default; this one has no owner and
  // must, like the main window.
  setAttribute(Qt::WA_QuitOnClose, true);
  setObjectName(QStringLiteral("frmAbout"));
  setWindowIcon(ProgramIcon());
  setSizeGripEnabled(false);

  const TwipsScale scale(*this);
  setFixedSize(scale.Size(kClientWidth, kClientHeight));

  // By tab index.
  cmd_ok_ = new QPushButton(this);
  cmd_ok_->setObjectName(QStringLiteral("cmdOK"));
  // Enter presses OK unless another button has the focus; Esc closes the box like OK.
  cmd_ok_->setDefault(true);
  connect(cmd_ok_, &QPushButton::clicked, this, [this] { form_.cmdOK_Click(); });

  auto* pic_icon = new QLabel(this);
  pic_icon->setObjectName(QStringLiteral("picIcon"));
  pic_icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  pic_icon->setPixmap(ProgramIcon().pixmap(32, 32));

  cmd_sys_info_ = new QPushButton(this);
  cmd_sys_info_->setObjectName(QStringLiteral("cmdSysInfo"));
  connect(cmd_sys_info_, &QPushButton::clicked, this, [this] { form_.cmdSysInfo_Click(); });

  lbl_description_ = MakeLabel(this, "lblDescription");
  lbl_disclaimer_ = MakeLabel(this, "lblDisclaimer");
  lbl_title_ = MakeLabel(this, "lblTitle");
  lbl_version_ = MakeLabel(this, "lblVersion");

  PlaceControls(this, scale, kControls);
  setTabOrder(cmd_ok_, cmd_sys_info_);
  cmd_ok_->setFocus();

  form_.Form_Load();
}

void AboutBox::Refresh(const FrmAboutState& state) {
  setWindowTitle(QString::fromStdString(state.caption));
  lbl_title_->setText(QString::fromStdString(state.lbl_title));
  lbl_version_->setText(QString::fromStdString(state.lbl_version));
  lbl_description_->setText(QString::fromStdString(state.lbl_description));
  lbl_disclaimer_->setText(QString::fromStdString(state.lbl_disclaimer));
  cmd_ok_->setText(QString::fromStdString(state.cmd_ok));
  cmd_sys_info_->setText(QString::fromStdString(state.cmd_sys_info));
}

void AboutBox::ShowMessage(const std::string& text) {
  ShowMessageBox(this, QString::fromStdString(text));
}

void AboutBox::CloseAboutBox() { accept(); }

}  // namespace zorvane
