// Sections: layout constants; construction (controls, menus, tab order); the Form1View
// methods that draw the state and run the message loop.
#include "app/qt/main_window.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "app/qt/about_box.h"
#include "app/qt/icons.h"
#include "app/qt/message_box.h"
#include "app/qt/twips.h"
#include "app/window_layout.h"

namespace zorvane {
namespace {

using namespace form1_layout;

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

bool SameRows(const std::vector<ListViewRow>& a, const std::vector<ListViewRow>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const ListViewRow& x, const ListViewRow& y) {
                      return x.title == y.title && x.rate == y.rate && x.address == y.address &&
                             x.hits == y.hits && x.small_icon == y.small_icon;
                    });
}

bool SameSelector(const std::vector<ComboRow>& a, const std::vector<ComboRow>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const ComboRow& x, const ComboRow& y) {
                      return x.text == y.text && x.item_data == y.item_data;
                    });
}

// The progress bar counts in whole numbers; the logic's maximum and value are rounded
// into a range of at least one step, the value kept inside it.
int ProgressMaximum(double maximum) {
  if (!std::isfinite(maximum) || maximum < 1) return 1;
  return static_cast<int>(std::min<double>(std::llround(maximum), INT_MAX));
}

int ProgressValue(double value, int maximum) {
  if (!std::isfinite(value) || value < 0) return 0;
  return static_cast<int>(std::min<double>(std::llround(value), maximum));
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------

MainWindow::MainWindow(Platform& platform, std::string program_dir)
    : platform_(platform), form_(platform, std::move(program_dir), *this) {
  // A sizable frame with a minimise box and no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QString::fromUtf8(kAppTitle));
  setWindowIcon(ProgramIcon());

  CreateMenus();
  CreateControls();
  SetTabOrder();

  const TwipsScale scale(*this);
  const QSize client = scale.Size(kClientWidth, kClientHeight);
  resize(client.width(), client.height() + menuBar()->sizeHint().height());

  form_.Form_Load();
}

MainWindow::~MainWindow() {
  // The box has no owner; it goes with the program, never with a mere close of this window.
  delete about_box_.data();
}

void MainWindow::CreateControls() {
  // The client area keeps every control where it was put: no layout, no resize logic.
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  const TwipsScale scale(*this);

  // In creation order.
  command3_ = new QPushButton(QString::fromUtf8(kCommand3Caption), client);
  command3_->setObjectName(QStringLiteral("Command3"));
  connect(command3_, &QPushButton::clicked, this, [this] { form_.Command3_Click(); });

  pbar_ = new QProgressBar(client);
  pbar_->setObjectName(QStringLiteral("PBar"));
  pbar_->setTextVisible(false);
  pbar_->setRange(0, 100);

  // Visible, but beyond the right edge of the client area.
  list2_ = new QListWidget(client);
  list2_->setObjectName(QStringLiteral("List2"));

  file1_ = new QListWidget(client);
  file1_->setObjectName(QStringLiteral("File1"));

  dir1_ = new QListWidget(client);
  dir1_->setObjectName(QStringLiteral("Dir1"));

  list1_ = new QListWidget(client);
  list1_->setObjectName(QStringLiteral("List1"));

  command2_ = new QPushButton(QString::fromUtf8(kCommand2Caption), client);
  command2_->setObjectName(QStringLiteral("Command2"));
  connect(command2_, &QPushButton::clicked, this, [this] { form_.Command2_Click(); });

  list_view1_ = new QTreeWidget(client);
  list_view1_->setObjectName(QStringLiteral("ListView1"));
  list_view1_->setRootIsDecorated(false);
  list_view1_->setItemsExpandable(false);
  list_view1_->setUniformRowHeights(true);
  list_view1_->setSortingEnabled(false);
  list_view1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_view1_->setIconSize(QSize(16, 16));
  list_view1_->setColumnCount(static_cast<int>(std::size(kColumns)));
  QStringList headers;
  for (const ColumnLayout& column : kColumns) headers << QString::fromUtf8(column.header);
  list_view1_->setHeaderLabels(headers);
  QHeaderView* header = list_view1_->header();
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setStretchLastSection(false);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    list_view1_->setColumnWidth(i, scale.X(kColumns[i].width));
  }
  // Columns are numbered from 1 for the handler.
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int logical_index) { form_.ListView1_ColumnClick(logical_index + 1); });

  command1_ = new QPushButton(QString::fromUtf8(kCommand1Caption), client);
  command1_->setObjectName(QStringLiteral("Command1"));
  connect(command1_, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });

  combo1_ = new QComboBox(client);
  combo1_->setObjectName(QStringLiteral("Combo1"));
  combo1_->setEditable(true);
  combo1_->setEditText(QString::fromUtf8(kCombo1Text));

  auto make_line = [&](const char* name, int top, const QColor& colour) {
    auto* line = new QWidget(client);
    line->setObjectName(QString::fromLatin1(name));
    // A line from x1 to x2 covers both end pixels.
    line->setGeometry(scale.X(kRuleLeft), scale.Y(top),
                      scale.X(kRuleRight) - scale.X(kRuleLeft) + 1, 1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
  };
  make_line("Line2", kLine2Top, Qt::white);
  make_line("Line1", kLine1Top, palette().color(QPalette::WindowText));

  label1_ = new QLabel(client);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setTextFormat(Qt::PlainText);
  label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  PlaceControls(client, scale, kControls);
}

void MainWindow::CreateMenus() {
  for (const MenuLayout& layout : form1_layout::kMenus) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(layout.caption));
    menu->setObjectName(QString::fromLatin1(layout.name));
    for (const MenuCommand& command : layout.commands) {
      if (command.caption == nullptr) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(command.name));
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(command.caption));
      action->setObjectName(QString::fromLatin1(command.name));
      connect(action, &QAction::triggered, this,
              [this, handler = command.handler] { (form_.*handler)(); });
    }
  }
}

void MainWindow::SetTabOrder() {
  // By tab index: Combo1, Command1, (Label1), ListView1, Command2, List1, Dir1, File1,
  // List2, (PBar), Command3. Labels and the progress bar never take the focus.
  QWidget* order[] = {combo1_, command1_, list_view1_, command2_, list1_,
                      dir1_,   file1_,    list2_,      command3_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

// ---- Form1View --------------------------------------------------------------------------

void MainWindow::Refresh(const Form1State& state) {
  // The logic expects the window to show the state at once, even when the command goes
  // on without yielding (the label before a long scan): changed controls are repainted
  // here, not when the event loop next runs.
  const QString label = Text(state.label1);
  const bool label_changed = label1_->text() != label;
  if (label_changed) label1_->setText(label);

  const int maximum = ProgressMaximum(state.pbar_max);
  const int value = ProgressValue(state.pbar_value, maximum);
  const bool pbar_changed = pbar_->maximum() != maximum || pbar_->value() != value ||
                            pbar_->isVisibleTo(this) != state.pbar_visible;
  pbar_->setRange(0, maximum);
  pbar_->setValue(value);
  pbar_->setVisible(state.pbar_visible);

  const bool rows_changed = !SameRows(state.list_view1, shown_rows_);
  if (rows_changed) ShowRows(state.list_view1);
  list_view1_->setVisible(state.list_view1_visible);

  if (!SameSelector(state.combo1, shown_selector_) ||
      combo1_->currentIndex() != state.combo1_list_index) {
    ShowSelector(state.combo1, state.combo1_list_index);
  }

  if (state.list1 != shown_list1_) {
    list1_->clear();
    for (const std::string& item : state.list1) list1_->addItem(Text(item));
    shown_list1_ = state.list1;
  }
  file1_->setProperty("path", Text(state.file1_path));

  // repaint() does nothing for a control that is not on screen.
  if (label_changed) label1_->repaint();
  if (pbar_changed) pbar_->repaint();
  if (rows_changed) list_view1_->viewport()->repaint();
}

void MainWindow::ShowRows(const std::vector<ListViewRow>& rows) {
  list_view1_->clear();
  QList<QTreeWidgetItem*> items;
  for (const ListViewRow& row : rows) {
    auto* item = new QTreeWidgetItem(
        QStringList{Text(row.title), Text(row.rate), Text(row.address), Text(row.hits)});
    item->setIcon(0, TrendIcon(row.small_icon));
    items.append(item);
  }
  list_view1_->addTopLevelItems(items);
  shown_rows_ = rows;
}

void MainWindow::ShowSelector(const std::vector<ComboRow>& rows, int list_index) {
  if (!SameSelector(rows, shown_selector_)) {
    combo1_->clear();
    for (const ComboRow& row : rows) combo1_->addItem(Text(row.text), QVariant(row.item_data));
    shown_selector_ = rows;
  }
  combo1_->setCurrentIndex(list_index);
  if (list_index < 0) combo1_->setEditText(QString::fromUtf8(kCombo1Text));
}

void MainWindow::ShowMessage(const std::string& text, MessageKind /*kind*/) {
  ShowMessageBox(this, Text(text));
}

void MainWindow::DoEvents() { QCoreApplication::processEvents(); }

void MainWindow::CloseMainWindow() { close(); }

void MainWindow::ShowAboutBox() {
  if (!about_box_) {
    about_box_ = new AboutBox(platform_);
    // Where the box opens is ours to choose: over the middle of this window.
    QRect frame = about_box_->frameGeometry();
    frame.moveCenter(frameGeometry().center());
    about_box_->move(frame.topLeft());
  }
  about_box_->show();
  about_box_->raise();
  about_box_->activateWindow();
}

}  // namespace zorvane
