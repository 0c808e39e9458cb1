#include "app/qt/about_box.h"

#include <QLabel>
#include <QPushButton>

#include "app/qt/icons.h"
#include "app/qt/message_box.h"
#include "app/qt/twips.h"

namespace zorvane {
namespace {

// Layout in twips: left, top, width, height. The System Information button and the
// disclaimer lie below the client area, out of sight; the button is still reached by
// Tab and by Alt+S.
constexpr int kClientWidth = 5730;
constexpr int kClientHeight = 2100;

struct Placement {
  int left, top, width, height;
};

constexpr Placement kCmdOk = {2280, 1680, 1310, 345};
constexpr Placement kPicIcon = {240, 240, 540, 540};
constexpr Placement kCmdSysInfo = {4260, 3075, 1310, 345};
constexpr Placement kLblDescription = {1050, 1125, 3885, 210};
constexpr Placement kLblDisclaimer = {255, 2625, 3870, 825};
constexpr Placement kLblTitle = {1050, 240, 3885, 480};
constexpr Placement kLblVersion = {1050, 780, 3885, 225};

void Place(QWidget* widget, const TwipsScale& scale, const Placement& p) {
  widget->setGeometry(scale.Rect(p.left, p.top, p.width, p.height));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const TwipsScale& scale,
                  const Placement& placement) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  Place(label, scale, placement);
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
  Place(cmd_ok_, scale, kCmdOk);
  // Enter presses OK unless another button has the focus; Esc closes the box like OK.
  cmd_ok_->setDefault(true);
  connect(cmd_ok_, &QPushButton::clicked, this, [this] { form_.cmdOK_Click(); });

  auto* pic_icon = new QLabel(this);
  pic_icon->setObjectName(QStringLiteral("picIcon"));
  pic_icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  pic_icon->setPixmap(ProgramIcon().pixmap(32, 32));
  Place(pic_icon, scale, kPicIcon);

  cmd_sys_info_ = new QPushButton(this);
  cmd_sys_info_->setObjectName(QStringLiteral("cmdSysInfo"));
  Place(cmd_sys_info_, scale, kCmdSysInfo);
  connect(cmd_sys_info_, &QPushButton::clicked, this, [this] { form_.cmdSysInfo_Click(); });

  lbl_description_ = MakeLabel(this, "lblDescription", scale, kLblDescription);
  lbl_disclaimer_ = MakeLabel(this, "lblDisclaimer", scale, kLblDisclaimer);
  lbl_title_ = MakeLabel(this, "lblTitle", scale, kLblTitle);
  lbl_version_ = MakeLabel(this, "lblVersion", scale, kLblVersion);

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
