// The main window as the Qt skin draws it, and every button and menu command clicked
// through against a temporary profile: a Favorites tree, a registry store naming it, a
// cache list, and a program folder of its own. Message boxes are intercepted; shell
// requests and program starts are recorded, never performed.
//
// Sections: fixture; layout and initial state; commands; closing and the About box.
#include "app/qt/main_window.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/qt/about_box.h"
#include "app/qt/icons.h"
#include "app/qt/tests/qt_test_support.h"
#include "app/qt/twips.h"
#include "app/window_layout.h"
#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::MessageBoxRecorder;
using testing::RecordingPlatform;
using testing::ScopedEnv;
using testing::TempDir;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// ---- Fixture ---------------------------------------------------------------------------

// Five favourites in three folders; the cache has hits for four of them, one single hit,
// one address that is no favourite, a cookie and a history entry.
constexpr const char* kCacheList =
    "# type\thits\taddress\n"
    "0x1\t40\thttp://news.example/\n"
    "0x1\t30\thttp://www.yahoo.example/\n"
    "0x1\t20\thttp://tenki.example/\n"
    "0x1\t5\thttp://photo.example/\n"
    "0x1\t1\thttp://books.example/\n"
    "0x1\t4\thttp://other.example/\n"
    "0x100000\t9\tCookie:user@news.example/\n"
    "0x200000\t7\tVisited: user@http://news.example/\n";

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest()
      : registry_env_("ZORVANE_REGISTRY", (root_.path() / "registry.reg").string()),
        cache_env_("ZORVANE_URL_CACHE", (root_.path() / "cache.txt").string()) {
    testing::EnsureQApplication();
    std::filesystem::create_directories(root_.path() / "program");
    root_.Write("registry.reg", testing::RegistryStoreNaming(favorites()));
    root_.Write("cache.txt", kCacheList);
    AddShortcut("Yahoo! JAPAN.url", "http://www.yahoo.example/");
    AddShortcut("ニュース/朝のニュース.url", "http://news.example/");
    AddShortcut("ニュース/天気.url", "http://tenki.example/");
    AddShortcut("趣味/写真.url", "http://photo.example/");
    AddShortcut("趣味/本.url", "http://books.example/");

    base_platform_ = CreateDefaultPlatform();
    platform_ = std::make_unique<RecordingPlatform>(base_platform_.get());
    window_ = std::make_unique<MainWindow>(*platform_, (root_.path() / "program").string());
    window_->show();
  }

  ~MainWindowTest() override {
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  std::string favorites() const { return (root_.path() / "Favorites").string(); }
  void AddShortcut(const std::string& relative, const std::string& url) {
    root_.Write("Favorites/" + relative, testing::ShortcutBytes(url));
  }

  template <typename T>
  T* Child(const char* name) {
    T* child = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  void Click(const char* button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
  void Choose(const char* action) { Child<QAction>(action)->trigger(); }

  // The cells of ListView1, one "title|rate|address|hits|icon" text per row.
  QStringList Rows() {
    QStringList rows;
    QTreeWidget* list = Child<QTreeWidget>("ListView1");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join('|');
    }
    return rows;
  }
  // Which trend icon each row shows, found by comparing pictures.
  std::vector<int> RowIcons() {
    std::vector<int> icons;
    QTreeWidget* list = Child<QTreeWidget>("ListView1");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QImage shown = list->topLevelItem(i)->icon(0).pixmap(16, 16).toImage();
      int found = 0;
      for (int index = 1; index <= 3; ++index) {
        if (!shown.isNull() && shown == TrendIcon(index).pixmap(16, 16).toImage()) found = index;
      }
      icons.push_back(found);
    }
    return icons;
  }

  TempDir root_;
  ScopedEnv registry_env_;
  ScopedEnv cache_env_;
  MessageBoxRecorder messages_;
  std::unique_ptr<Platform> base_platform_;
  std::unique_ptr<RecordingPlatform> platform_;
  std::unique_ptr<MainWindow> window_;
};

// ---- Layout and initial state ------------------------------------------------------------

TEST_F(MainWindowTest, CaptionIconAndFrame) {
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Zorvane"));
  EXPECT_FALSE(window_->windowIcon().isNull());
  const Qt::WindowFlags flags = window_->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  // Sizable: no fixed size.
  EXPECT_NE(window_->minimumSize(), window_->maximumSize());
}

TEST_F(MainWindowTest, ClientAreaIsConvertedFromTwipsAtTheScreenResolution) {
  const int dpi_x = window_->logicalDpiX();
  const int dpi_y = window_->logicalDpiY();
  QWidget* client = window_->centralWidget();
  EXPECT_EQ(client->width(), qRound(5880.0 * dpi_x / 1440));
  EXPECT_EQ(client->height(), qRound(3690.0 * dpi_y / 1440));
}

TEST_F(MainWindowTest, ControlsStandAtTheirPlacesInTheirInitialState) {
  const TwipsScale scale(*window_);
  for (const ControlLayout& control : form1_layout::kControls) {
    SCOPED_TRACE(control.name);
    QWidget* widget = Child<QWidget>(control.name);
    EXPECT_EQ(widget->geometry(), scale.Rect(control.rect));
    EXPECT_EQ(widget->isHidden(), !control.visible);
  }
  // List2 starts beyond the right edge of the client area.
  EXPECT_GE(Child<QWidget>("List2")->x(), window_->centralWidget()->width());

  EXPECT_EQ(Child<QPushButton>("Command1")->text(), U("ランキング"));
  EXPECT_EQ(Child<QPushButton>("Command2")->text(), U("お気に入りデータの更新"));
  EXPECT_EQ(Child<QPushButton>("Command3")->text(), U("終了"));
  EXPECT_EQ(Child<QLabel>("Label1")->text(), QString());
  EXPECT_EQ(Child<QTreeWidget>("ListView1")->topLevelItemCount(), 0);
  EXPECT_EQ(Child<QListWidget>("List1")->count(), 0);
  EXPECT_EQ(Child<QListWidget>("List2")->count(), 0);
}

TEST_F(MainWindowTest, EtchedRuleUnderTheMenuBar) {
  const TwipsScale scale(*window_);
  QWidget* line1 = Child<QWidget>("Line1");
  QWidget* line2 = Child<QWidget>("Line2");
  EXPECT_EQ(line1->geometry(), QRect(scale.X(120), 0, scale.X(5760) - scale.X(120) + 1, 1));
  EXPECT_EQ(line2->geometry(),
            QRect(scale.X(120), scale.Y(15), scale.X(5760) - scale.X(120) + 1, 1));
  EXPECT_EQ(line2->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_NE(line1->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(MainWindowTest, ResultListIsAReportWithFourLeftAlignedColumns) {
  QTreeWidget* list = Child<QTreeWidget>("ListView1");
  const TwipsScale scale(*window_);
  const auto& columns = form1_layout::kColumns;
  ASSERT_EQ(list->columnCount(), static_cast<int>(std::size(columns)));
  for (int i = 0; i < list->columnCount(); ++i) {
    SCOPED_TRACE(columns[i].header);
    EXPECT_EQ(list->headerItem()->text(i), U(columns[i].header));
    EXPECT_EQ(list->columnWidth(i), scale.X(columns[i].width));
  }
  EXPECT_EQ(list->header()->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  EXPECT_FALSE(list->rootIsDecorated());
  EXPECT_FALSE(list->isSortingEnabled());
}

TEST_F(MainWindowTest, SelectorHoldsNineEntryTypesWithRowZeroSelected) {
  QComboBox* combo = Child<QComboBox>("Combo1");
  ASSERT_EQ(combo->count(), 9);
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_EQ(combo->itemText(0), QStringLiteral("Normal Entry"));
  EXPECT_EQ(combo->itemData(0).toUInt(), 0x1u);
  EXPECT_EQ(combo->itemText(8), QStringLiteral("Default Filter"));
  EXPECT_EQ(combo->itemData(8).toUInt(), 0x300035u);
}

TEST_F(MainWindowTest, MenusHoldTheirCommandsWithoutShortcutKeys) {
  const QList<QAction*> bar = window_->menuBar()->actions();
  ASSERT_EQ(bar.size(), static_cast<qsizetype>(std::size(form1_layout::kMenus)));
  for (std::size_t m = 0; m < std::size(form1_layout::kMenus); ++m) {
    const auto& layout = form1_layout::kMenus[m];
    SCOPED_TRACE(layout.name);
    EXPECT_EQ(bar[m]->text(), U(layout.caption));
    const QList<QAction*> actions = bar[m]->menu()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(layout.commands.size()));
    for (std::size_t i = 0; i < layout.commands.size(); ++i) {
      const auto& command = layout.commands[i];
      EXPECT_EQ(actions[i]->objectName(), QString::fromLatin1(command.name));
      EXPECT_EQ(actions[i]->isSeparator(), command.caption == nullptr);
      if (command.caption != nullptr) {
        EXPECT_EQ(actions[i]->text(), U(command.caption));
      }
      EXPECT_TRUE(actions[i]->shortcut().isEmpty());
    }
  }
}

TEST_F(MainWindowTest, TabOrderFollowsTheTabIndexes) {
  const char* kOrder[] = {"Combo1", "Command1", "ListView1", "Command2", "List1",
                          "Dir1",   "File1",    "List2",     "Command3"};
  for (std::size_t i = 0; i + 1 < std::size(kOrder); ++i) {
    SCOPED_TRACE(kOrder[i]);
    QWidget* current = Child<QWidget>(kOrder[i]);
    QWidget* next = current->nextInFocusChain();
    // Widgets that never take the focus (labels, lines) and a control's own parts (the
    // selector's edit field) may stand between.
    while (next->focusPolicy() == Qt::NoFocus || current->isAncestorOf(next)) {
      next = next->nextInFocusChain();
    }
    EXPECT_EQ(next, Child<QWidget>(kOrder[i + 1]));
  }
}

// ---- Commands ---------------------------------------------------------------------------

TEST_F(MainWindowTest, RankingBeforeAnyCatalogueAsksForOne) {
  Click("Command1");
  EXPECT_EQ(messages_.Take(), QStringList{U("まず、お気に入りデータを作成してください")});
  EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(MainWindowTest, CatalogueBuildShowsProgressThenTheEndMessage) {
  // Look at the window each time the build reads a shortcut.
  std::vector<int> values;
  bool always_visible = true;
  QProgressBar* pbar = Child<QProgressBar>("PBar");
  platform_->on_profile_read = [&](const std::string& section) {
    if (section != "InternetShortcut") return;
    always_visible = always_visible && pbar->isVisible();
    values.push_back(pbar->value());
  };
  Click("Command2");
  platform_->on_profile_read = nullptr;

  EXPECT_EQ(messages_.Take(), QStringList{U("終了しました")});
  ASSERT_EQ(values.size(), 5u);
  EXPECT_TRUE(always_visible);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_LT(values.front(), values.back());
  EXPECT_FALSE(pbar->isVisible());
  EXPECT_EQ(Child<QLabel>("Label1")->text(), U("お気に入りデータ作成中..."));
  EXPECT_EQ(Child<QListWidget>("List1")->count(), 3);  // the Favorites folder and two below
}

TEST_F(MainWindowTest, MenuCatalogueCommandDoesWhatTheButtonDoes) {
  Choose("mnuFromFavotie");
  EXPECT_EQ(messages_.Take(), QStringList{U("終了しました")});
  EXPECT_NE(root_.Read("program/url.dat"), "<missing>");
}

TEST_F(MainWindowTest, MenuImportBringsBookmarksThenBuildsTheCatalogue) {
  ScopedEnv home("HOME", (root_.path() / "home").string());
  ScopedEnv config("XDG_CONFIG_HOME", (root_.path() / "home/.config").string());
  const std::filesystem::path profile = root_.path() / "home/.config/chromium/Default";
  std::filesystem::create_directories(profile);
  std::filesystem::copy(
      std::filesystem::path(std::getenv("ZORVANE_TEST_DATA")) / "browsers/chromium/History",
      profile);
  root_.Write("home/.config/chromium/Default/Bookmarks",
              R"({"roots": {"other": {"type": "folder", "children": [)"
              R"({"type": "url", "name": "Imported", "url": "http://imported.example/"}]}}})");
  Choose("mnuImportBookmarks");
  EXPECT_EQ(messages_.Take(),
            (QStringList{U("1個のブックマークを取り込みました"), U("終了しました")}));
  EXPECT_NE(root_.Read("program/url.dat").find("http://imported.example/"), std::string::npos);
}

TEST_F(MainWindowTest, RankingFillsTheListWithTitlesRatesAndTrendIcons) {
  Click("Command2");
  messages_.Take();
  Click("Command1");
  EXPECT_TRUE(messages_.Take().isEmpty());
  EXPECT_TRUE(Child<QTreeWidget>("ListView1")->isVisible());
  EXPECT_EQ(Child<QLabel>("Label1")->text(), U("6個のファイルを検出"));
  EXPECT_EQ(Rows(), (QStringList{U("朝のニュース|40.0%|http://news.example/|40"),
                                 U("Yahoo! JAPAN|30.0%|http://www.yahoo.example/|30"),
                                 U("天気|20.0%|http://tenki.example/|20"),
                                 U("写真|5.0%|http://photo.example/|5")}));
  // First ranking: every title compares with place 3.
  EXPECT_EQ(RowIcons(), (std::vector<int>{3, 3, 2, 1}));

  // The menu command of the same name ranks again; every title keeps its place.
  Choose("mnuRanking");
  EXPECT_EQ(RowIcons(), (std::vector<int>{2, 2, 2, 2}));
}

// Counts the paint events of one widget and remembers its text at the last one.
class PaintRecorder final : public QObject {
 public:
  explicit PaintRecorder(QLabel* label) : label_(label) { label->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == label_ && event->type() == QEvent::Paint) painted_text = label_->text();
    return false;
  }
  QString painted_text;

 private:
  QLabel* label_;
};

TEST_F(MainWindowTest, RankingPaintsTheScanningLabelBeforeTheScan) {
  Click("Command2");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  PaintRecorder recorder(Child<QLabel>("Label1"));
  QString painted_at_scan;
  platform_->on_cache_scan = [&] { painted_at_scan = recorder.painted_text; };
  Click("Command1");
  platform_->on_cache_scan = nullptr;
  EXPECT_EQ(painted_at_scan, U("調査中 ..."));
}

TEST_F(MainWindowTest, ColumnClickLeavesTheRowsInTheirOrder) {
  Click("Command2");
  Click("Command1");
  const QStringList before = Rows();
  QHeaderView* header = Child<QTreeWidget>("ListView1")->header();
  for (int column = 0; column < 4; ++column) {
    SCOPED_TRACE(column);
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(Rows(), before);
  }
}

TEST_F(MainWindowTest, AddToFavoritesWritesOneShortcutPerRow) {
  Click("Command2");
  Click("Command1");
  messages_.Take();
  Choose("mnuAddFavorite");
  EXPECT_EQ(messages_.Take(), QStringList{U("追加されました")});
  EXPECT_EQ(root_.Read("Favorites/お気に入りZorvane/天気.url"),
            "[InternetShortcut]\r\nURL=http://tenki.example/\r\n");
  EXPECT_NE(root_.Read("Favorites/お気に入りZorvane/Yahoo! JAPAN.url"), "<missing>");
}

TEST_F(MainWindowTest, MailHandsTheRankingToTheShell) {
  Click("Command2");
  Click("Command1");
  Choose("mnuMailSend");
  ASSERT_EQ(platform_->shell_requests.size(), 1u);
  const std::string& request = platform_->shell_requests[0].second;
  EXPECT_EQ(request.rfind("mailto:", 0), 0u) << request;
  // The rows in list order, each field ending in ";" (how the rate's "%" is escaped is
  // the mail request's business).
  const std::size_t news = request.find("朝のニュース;");
  const std::size_t tenki = request.find("天気;");
  ASSERT_NE(news, std::string::npos) << request;
  ASSERT_NE(tenki, std::string::npos) << request;
  EXPECT_LT(news, tenki);
  EXPECT_NE(request.find(";http://tenki.example/;20;", tenki), std::string::npos) << request;
}

TEST_F(MainWindowTest, ReadmeAndHomepageGoToTheDesktop) {
  Choose("mnuReadme");
  Choose("Homepage");
  ASSERT_EQ(platform_->shell_requests.size(), 2u);
  EXPECT_EQ(platform_->shell_requests[0],
            (std::pair<std::string, std::string>{"open", "readme.txt"}));
  EXPECT_EQ(platform_->shell_requests[1].first, "Open");
  EXPECT_EQ(platform_->shell_requests[1].second.rfind("https://", 0), 0u);
  EXPECT_TRUE(messages_.Take().isEmpty());
}

// ---- Closing and the About box -----------------------------------------------------------

TEST_F(MainWindowTest, ExitButtonMenuAndCloseBoxCloseTheWindow) {
  const struct {
    const char* name;
    std::function<void()> act;
  } kWays[] = {
      {"Command3", [this] { Click("Command3"); }},
      {"mnuExit", [this] { Choose("mnuExit"); }},
      {"close box", [this] { window_->close(); }},
  };
  for (const auto& way : kWays) {
    SCOPED_TRACE(way.name);
    window_->show();
    ASSERT_TRUE(window_->isVisible());
    way.act();
    EXPECT_FALSE(window_->isVisible());
  }
  EXPECT_TRUE(messages_.Take().isEmpty());
}

TEST_F(MainWindowTest, VersionShowsOneAboutBoxWithoutOwner) {
  Choose("mnuVersion");
  QPointer<AboutBox> box = window_->about_box();
  ASSERT_FALSE(box.isNull());
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->parentWidget(), nullptr);
  EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), U("ﾊﾞｰｼﾞｮﾝ 0.0.2"));
  // The main window stays usable while the box is open.
  EXPECT_FALSE(box->isModal());

  Choose("mnuVersion");
  EXPECT_EQ(window_->about_box(), box.data());
  int boxes = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<AboutBox*>(widget) != nullptr) ++boxes;
  }
  EXPECT_EQ(boxes, 1);

  // Closed, the box is unloaded; the next Version makes a new one.
  box->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(box.isNull());
  Choose("mnuVersion");
  ASSERT_NE(window_->about_box(), nullptr);
  EXPECT_TRUE(window_->about_box()->isVisible());
}

TEST_F(MainWindowTest, ProgramEndsWhenTheLastWindowCloses) {
  // The program's own event loop decides when to end, so the windows are closed from
  // inside it; the loop returning is the program ending.
  QSignalSpy last_window_closed(qApp, &QGuiApplication::lastWindowClosed);
  long long closed_while_box_open = -1;
  bool box_shown_after_main_closed = false;
  QPointer<AboutBox> box;
  QTimer::singleShot(0, window_.get(), [&] {
    Choose("mnuVersion");
    box = window_->about_box();
    Click("Command3");
    QTimer::singleShot(0, qApp, [&] {
      closed_while_box_open = last_window_closed.count();
      box_shown_after_main_closed = !box.isNull() && box->isVisible();
      if (!box.isNull()) box->close();
    });
  });
  // Only reached when the program fails to end.
  QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(closed_while_box_open, 0);
  EXPECT_TRUE(box_shown_after_main_closed);
  EXPECT_EQ(last_window_closed.count(), 1);
}

}  // namespace
}  // namespace zorvane
