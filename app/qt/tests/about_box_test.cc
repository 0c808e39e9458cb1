// The About box as the Qt skin draws it: texts, layout, frame, keyboard and the System
// Information command, against the memory platform.
#include "app/qt/about_box.h"

#include <cstring>
#include <memory>

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/qt/tests/qt_test_support.h"
#include "app/qt/twips.h"
#include "platform/memory/memory_platform.h"

namespace zorvane {
namespace {

using testing::MessageBoxRecorder;

class AboutBoxTest : public ::testing::Test {
 protected:
  AboutBoxTest() {
    testing::EnsureQApplication();
    box_ = new AboutBox(platform_);
  }
  ~AboutBoxTest() override { delete box_.data(); }

  template <typename T>
  T* Child(const char* name) {
    T* child = box_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  void ShowActive() {
    box_->show();
    box_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(box_));
    QApplication::processEvents();
  }

  // Alt+S: the access key presses the button the way a click animates it, so the click
  // arrives from the event loop a moment later.
  void PressAltS() {
    QSignalSpy clicked(Child<QPushButton>("cmdSysInfo"), &QPushButton::clicked);
    QTest::keyClick(box_, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(clicked.count() == 1 || clicked.wait(5000));
  }

  // Runs the deletions that closing the box scheduled.
  static void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  MemoryPlatform platform_;
  MessageBoxRecorder messages_;
  QPointer<AboutBox> box_;
};

TEST_F(AboutBoxTest, ShowsTheTextsSetAtLoad) {
  EXPECT_EQ(box_->windowTitle(), QString::fromUtf8("Zorvaneのﾊﾞｰｼﾞｮﾝ情報"));
  EXPECT_EQ(Child<QLabel>("lblTitle")->text(), QStringLiteral("Zorvane"));
  EXPECT_EQ(Child<QLabel>("lblVersion")->text(), QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ 0.0.2"));
  EXPECT_FALSE(Child<QLabel>("lblDescription")->text().isEmpty());
  EXPECT_EQ(Child<QLabel>("lblDisclaimer")->text(), QString::fromUtf8("警告: ..."));
  EXPECT_EQ(Child<QPushButton>("cmdOK")->text(), QStringLiteral("OK"));
  EXPECT_EQ(Child<QPushButton>("cmdSysInfo")->text(), QString::fromUtf8("ｼｽﾃﾑ情報(&S)..."));
  EXPECT_FALSE(Child<QLabel>("picIcon")->pixmap().isNull());
  EXPECT_FALSE(box_->windowIcon().isNull());
}

TEST_F(AboutBoxTest, FixedDialogFrameWithoutOwnerOrTaskBarButton) {
  EXPECT_EQ(box_->parentWidget(), nullptr);
  EXPECT_EQ(box_->windowType(), Qt::Tool);
  const Qt::WindowFlags flags = box_->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(box_->testAttribute(Qt::WA_QuitOnClose));
  const TwipsScale scale(*box_);
  const QSize client = scale.Size(frm_about_layout::kClientWidth, frm_about_layout::kClientHeight);
  EXPECT_EQ(box_->minimumSize(), client);
  EXPECT_EQ(box_->maximumSize(), client);
}

TEST_F(AboutBoxTest, ControlsStandAtTheirPlaces) {
  const TwipsScale scale(*box_);
  for (const ControlLayout& control : frm_about_layout::kControls) {
    SCOPED_TRACE(control.name);
    QWidget* widget = Child<QWidget>(control.name);
    EXPECT_EQ(widget->geometry(), scale.Rect(control.rect));
    EXPECT_FALSE(widget->isHidden());
  }
  // Two controls lie below the client area, out of sight.
  for (const char* name : {"cmdSysInfo", "lblDisclaimer"}) {
    EXPECT_FALSE(box_->rect().contains(Child<QWidget>(name)->geometry().topLeft())) << name;
  }
}

TEST_F(AboutBoxTest, TabReachesTheHiddenSystemInformationButton) {
  ShowActive();
  QPushButton* ok = Child<QPushButton>("cmdOK");
  EXPECT_TRUE(ok->hasFocus());
  QTest::keyClick(box_, Qt::Key_Tab);
  EXPECT_TRUE(Child<QPushButton>("cmdSysInfo")->hasFocus());
}

TEST_F(AboutBoxTest, AltSWithoutRegistryValuesShowsTheMessageAndStaysOpen) {
  ShowActive();
  PressAltS();
  EXPECT_EQ(messages_.Take(), QStringList{QString::fromUtf8("現時点ではｼｽﾃﾑ情報を使用できません")});
  EXPECT_TRUE(platform_.started_programs().empty());
  FlushDeletes();
  ASSERT_FALSE(box_.isNull());
  EXPECT_TRUE(box_->isVisible());
}

TEST_F(AboutBoxTest, AltSStartsTheProgramTheRegistryNames) {
  const std::string program = "/opt/sysinfo/msinfo32";
  ASSERT_TRUE(platform_.SetRegistryValue(
      kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", kRegSz,
      std::string_view(program.c_str(), program.size() + 1)));
  platform_.AddFile(program, "");
  ShowActive();
  PressAltS();
  EXPECT_EQ(platform_.started_programs(), std::vector<std::string>{program});
  EXPECT_TRUE(messages_.Take().isEmpty());
}

TEST_F(AboutBoxTest, OkEnterAndEscCloseAndUnloadTheBox) {
  const struct {
    const char* name;
    std::function<void(AboutBox*)> act;
  } kWays[] = {
      {"OK clicked",
       [](AboutBox* box) {
         QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
       }},
      {"Enter", [](AboutBox* box) { QTest::keyClick(box, Qt::Key_Return); }},
      {"Esc", [](AboutBox* box) { QTest::keyClick(box, Qt::Key_Escape); }},
      {"close box", [](AboutBox* box) { box->close(); }},
  };
  for (const auto& way : kWays) {
    SCOPED_TRACE(way.name);
    if (box_.isNull()) box_ = new AboutBox(platform_);
    ShowActive();
    way.act(box_);
    EXPECT_TRUE(box_.isNull() || !box_->isVisible());
    FlushDeletes();
    EXPECT_TRUE(box_.isNull());
    EXPECT_TRUE(messages_.Take().isEmpty());
  }
}

}  // namespace
}  // namespace zorvane
