// zorvane: the main window on Linux.
//
//   zorvane [--program-dir DIR]
//   zorvane --help | --version
//
// url.dat and the settings file live in DIR, or else in the program directory (the
// folder of the executable in a build tree; see Platform::ProgramDirectory). --help and
// --version answer on stdout without a display.
// For screenshots and checks without a person at the screen, a few more options run
// commands at start, save pictures of the windows and quit; message boxes then go to
// standard error instead of waiting for a click:
//   --build   choose "お気に入りデータの更新"     --rank   choose "ランキング"
//   --about   choose "Version"
//   --screenshot FILE        save the main window as a picture
//   --about-screenshot FILE  save the About box as a picture (implies --about)
//   --first-frame            print "first-frame NS" (the steady clock in nanoseconds, the
//                            system's monotonic clock) once the main window has been drawn
//                            for the first time, and quit: the benchmark of the start-up
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEvent>
#include <QFontDatabase>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "app/frm_about.h"
#include "app/qt/about_box.h"
#include "app/qt/icons.h"
#include "app/qt/main_window.h"
#include "app/qt/message_box.h"
#include "platform/platform.h"

namespace {

// The window's texts are Japanese: a Japanese desktop font renders them as one face,
// where a Western default font would mix its own glyphs with a fallback's.
void UseJapaneseUiFont() {
  const QStringList installed = QFontDatabase::families();
  for (const char* family :
       {"Noto Sans CJK JP", "IPAPGothic", "IPAGothic", "VL PGothic", "TakaoPGothic"}) {
    if (installed.contains(QString::fromLatin1(family))) {
      QFont font = QApplication::font();
      font.setFamily(QString::fromLatin1(family));
      QApplication::setFont(font);
      return;
    }
  }
}

bool SavePicture(QWidget* widget, const QString& file) {
  if (widget == nullptr || !widget->grab().save(file)) {
    std::fprintf(stderr, "zorvane: cannot save %s\n", file.toLocal8Bit().constData());
    return false;
  }
  return true;
}

// Watches every widget's paint events for the first one of `window`; once that frame is
// painted and handed to the screen (the next turn of the event loop), prints the clock
// and quits.
class FirstFrameReporter final : public QObject {
 public:
  explicit FirstFrameReporter(QWidget* window) : window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
      seen_ = true;
      QTimer::singleShot(0, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("first-frame %lld\n",
                    static_cast<long long>(std::chrono::nanoseconds(now).count()));
        std::fflush(stdout);
        QApplication::exit(0);
      });
    }
    return false;
  }

 private:
  QWidget* window_;
  bool seen_ = false;
};

// Whether the command line asks only for the usage or the version: those are answered
// without a window, so they work where there is no display.
bool AsksForHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" ||
        arg == "--version" || arg == "-v") {
      return true;
    }
  }
  return false;
}

void NameTheApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("zorvane"));
  QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                              .arg(zorvane::kVersionMajor)
                                              .arg(zorvane::kVersionMinor)
                                              .arg(zorvane::kVersionRevision));
}

}  // namespace

int main(int argc, char** argv) {
  std::unique_ptr<QCoreApplication> app;
  if (AsksForHelpOrVersion(argc, argv)) {
    app = std::make_unique<QCoreApplication>(argc, argv);
    NameTheApplication();
  } else {
    app = std::make_unique<QApplication>(argc, argv);
    NameTheApplication();
    QApplication::setWindowIcon(zorvane::ProgramIcon());
    UseJapaneseUiFont();
  }

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Ranks your Favorites by their viewing rate."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption program_dir(
      QStringLiteral("program-dir"),
      QStringLiteral("Folder of url.dat and the settings file (default: the program's folder; "
                     "installed, $ZORVANE_HOME or ~/.local/share/zorvane)."),
      QStringLiteral("DIR"));
  const QCommandLineOption build(QStringLiteral("build"),
                                 QStringLiteral("Run the catalogue build at start."));
  const QCommandLineOption rank(QStringLiteral("rank"),
                                QStringLiteral("Run the ranking at start."));
  const QCommandLineOption about(QStringLiteral("about"),
                                 QStringLiteral("Show the About box at start."));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save the main window to FILE and quit."),
                                      QStringLiteral("FILE"));
  const QCommandLineOption about_screenshot(QStringLiteral("about-screenshot"),
                                            QStringLiteral("Save the About box to FILE and quit."),
                                            QStringLiteral("FILE"));
  const QCommandLineOption first_frame(
      QStringLiteral("first-frame"),
      QStringLiteral("Print the monotonic clock once the window is first drawn, and quit."));
  parser.addOptions({program_dir, build, rank, about, screenshot, about_screenshot, first_frame});
  if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
    const QString error = parser.errorText().isEmpty() ? QStringLiteral("unexpected argument ") +
                                                             parser.positionalArguments().value(0)
                                                       : parser.errorText();
    std::fprintf(stderr, "zorvane: %s\n", error.toLocal8Bit().constData());
    return 2;
  }
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

  std::unique_ptr<zorvane::Platform> platform = zorvane::CreateDefaultPlatform();
  const std::string dir = parser.isSet(program_dir)
                              ? QDir(parser.value(program_dir)).absolutePath().toStdString()
                              : platform->ProgramDirectory();

  zorvane::MainWindow window(*platform, dir);
  FirstFrameReporter first_frame_reporter(&window);
  if (parser.isSet(first_frame))
    QApplication::instance()->installEventFilter(&first_frame_reporter);
  window.show();

  const bool taking_pictures = parser.isSet(screenshot) || parser.isSet(about_screenshot);
  if (taking_pictures) {
    zorvane::SetMessageBoxHook(
        [](const QString& text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); });
  }
  int status = 0;
  QTimer::singleShot(0, &window, [&] {
    if (parser.isSet(build)) window.form().Command2_Click();
    if (parser.isSet(rank)) window.form().Command1_Click();
    if (parser.isSet(about) || parser.isSet(about_screenshot)) window.form().mnuVersion_Click();
    if (!taking_pictures) return;
    QApplication::processEvents();
    if (parser.isSet(screenshot) && !SavePicture(&window, parser.value(screenshot))) status = 1;
    if (parser.isSet(about_screenshot) &&
        !SavePicture(window.about_box(), parser.value(about_screenshot))) {
      status = 1;
    }
    QApplication::exit(status);
  });
  const int exec_status = QApplication::exec();
  return taking_pictures ? status : exec_status;
}
