// zorvane: the main window on Linux.
//
//   zorvane [--program-dir DIR]
//
// url.dat and the settings file live in DIR, or else in the folder of the executable.
// For screenshots and checks without a person at the screen, a few more options run
// commands at start, save pictures of the windows and quit; message boxes then go to
// standard error instead of waiting for a click:
//   --build   choose "お気に入りデータの更新"     --rank   choose "ランキング"
//   --about   choose "Version"
//   --screenshot FILE        save the main window as a picture
//   --about-screenshot FILE  save the About box as a picture (implies --about)
#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFontDatabase>
#include <QPixmap>
#include <QTimer>

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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zorvane"));
  QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                          .arg(zorvane::kVersionMajor)
                                          .arg(zorvane::kVersionMinor)
                                          .arg(zorvane::kVersionRevision));
  QApplication::setWindowIcon(zorvane::ProgramIcon());
  UseJapaneseUiFont();

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Ranks your Favorites by their viewing rate."));
  parser.addHelpOption();
  const QCommandLineOption program_dir(
      QStringLiteral("program-dir"),
      QStringLiteral("Folder of url.dat and the settings file (default: the program's folder)."),
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
  parser.addOptions({program_dir, build, rank, about, screenshot, about_screenshot});
  if (!parser.parse(QApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
    const QString error = parser.errorText().isEmpty() ? QStringLiteral("unexpected argument ") +
                                                             parser.positionalArguments().value(0)
                                                       : parser.errorText();
    std::fprintf(stderr, "zorvane: %s\n", error.toLocal8Bit().constData());
    return 2;
  }
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);

  std::unique_ptr<zorvane::Platform> platform = zorvane::CreateDefaultPlatform();
  const std::string dir = parser.isSet(program_dir)
                              ? QDir(parser.value(program_dir)).absolutePath().toStdString()
                              : platform->ProgramDirectory();

  zorvane::MainWindow window(*platform, dir);
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
