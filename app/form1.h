// Form1, the main window, as logic without a toolkit.
//
// Form1 holds the state of every control of the main window and runs its handlers. A
// view (the Qt window, the Win32 window, or the headless command-line driver) draws that
// state, shows message boxes and lets the message loop run while a long command yields;
// it forwards every click to the handler of the same name.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browsers/bookmark_import.h"
#include "browsers/favorites_mirror.h"
#include "list/list_rows.h"
#include "platform/platform.h"

namespace zorvane {

inline constexpr char kAppTitle[] = "Zorvane";

// Everything a view needs to draw the main window.
struct Form1State {
  std::string label1;
  bool pbar_visible = false;
  double pbar_max = 100;
  double pbar_value = 0;
  std::vector<std::string> list1;  // hidden: the folder list of the last catalogue build
  std::string file1_path;          // hidden: the folder File1 lists
  std::vector<ListViewRow> list_view1;
  bool list_view1_visible = true;
  int list_view1_view = 0;       // 3 = report view, set by Form_Load
  std::vector<ComboRow> combo1;  // hidden entry-type selector
  int combo1_list_index = -1;    // selected row, -1 none
};

// Whether a message box reports the normal end of a command or a failure. Every box
// looks the same (OK only, no icon, caption "Zorvane"); the command-line driver turns
// failures into its exit status.
enum class MessageKind { kInformation, kFailure };

class Form1View {
 public:
  virtual ~Form1View() = default;
  // Draws the controls as `state` says, at once.
  virtual void Refresh(const Form1State& state) = 0;
  // Shows a message box with OK only and caption "Zorvane"; returns once acknowledged.
  virtual void ShowMessage(const std::string& text, MessageKind kind) = 0;
  // Lets the window process pending messages (repaint, clicks) and returns.
  virtual void DoEvents() = 0;
  // Unloads the main window.
  virtual void CloseMainWindow() = 0;
  // Shows the About box modeless and without owner, or brings it forward when open.
  virtual void ShowAboutBox() = 0;
  // Sorts `rows` with the view's own list control, when it has one that sorts (the Win32
  // report-view list); false leaves `rows` untouched and the sort to the caller.
  virtual bool SortListView(std::vector<ListViewRow>* /*rows*/, std::int32_t /*column*/,
                            std::int32_t /*kind*/, std::int32_t /*order*/) {
    return false;
  }
};

class Form1 {
 public:
  // `program_dir` holds url.dat and the settings file.
  Form1(Platform& platform, std::string program_dir, Form1View& view);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  void Form_Load();

  void Command1_Click();        // "ランキング": the ranking
  void Command2_Click();        // "お気に入りデータの更新": the catalogue build
  void Command3_Click();        // "終了"
  void mnuFromFavotie_Click();  // "お気に入りからデータ取得"
  void mnuRanking_Click();      // "ランキング" (menu)
  void mnuAddFavorite_Click();  // "お気に入りに追加"
  void mnuExit_Click();         // "E&XIT"
  void mnuReadme_Click();       // "Readme"
  void Homepage_Click();        // "Homepage"
  void mnuVersion_Click();      // "Version"
  void mnuMailSend_Click();     // "メールで投稿"
  // "ブラウザのブックマークを取り込む" (the Linux window): ImportBookmarks from the
  // browser profiles into the Favorites folder, then the catalogue build.
  void mnuImportBookmarks_Click();
  void ListView1_ColumnClick(int column_index);

  // Mirrors browser bookmarks into the Favorites folder, one subfolder per source, and
  // shows one message: how many were imported, or why nothing was. `from`: the files to
  // read (none: every browser profile found); `into`: the folder (empty: the Favorites
  // folder). Sources that are skipped are named through the platform's diagnostics.
  // True when at least one source was imported.
  bool ImportBookmarks(const std::vector<std::string>& from, const std::string& into);

  const Form1State& state() const { return state_; }
  Platform& platform() { return platform_; }
  const std::string& program_dir() const { return program_dir_; }

  // Whether a command is running (and yielding); a second start is then ignored.
  bool busy() const { return busy_; }

  using Clock = std::chrono::steady_clock;
  // The clock that spaces the progress repaints; tests drive it by hand.
  void set_clock(std::function<Clock::time_point()> clock) { clock_ = std::move(clock); }

 private:
  // Marks a command as running for its lifetime; `Acquired()` is false when another one
  // already runs, in which case the new command must not start.
  class CommandGuard {
   public:
    explicit CommandGuard(Form1& form) : form_(form), acquired_(!form.busy_) { form_.busy_ = true; }
    ~CommandGuard() {
      if (acquired_) form_.busy_ = false;
    }
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;
    bool Acquired() const { return acquired_; }

   private:
    Form1& form_;
    bool acquired_;
  };

  void Refresh() { view_.Refresh(state_); }
  // How the commands that use the Favorites folder wait for one another, across
  // processes too: a minute at most, the label saying so, the window answering.
  browsers::LockWait FavoritesLockWait();
  // The bookmark files of the browser profiles found; with `diagnose`, profile folders
  // that cannot be read are named.
  std::vector<browsers::BookmarkSource> DiscoverBookmarkSources(bool diagnose);
  // Imports `sources` into `favorites`, the label saying so.
  browsers::ImportSummary RunImport(const std::vector<browsers::BookmarkSource>& sources,
                                    const std::string& favorites);
  // The catalogue build, with or without the import of RefreshMirrors first.
  void BuildCatalogue(bool refresh_mirrors);
  // When `favorites` is Zorvane's own folder: makes it where it is missing, with the
  // folders above it, and says true.
  bool MakeOwnFavoritesFolder(const std::string& favorites);
  // Before a catalogue build: when `favorites` is Zorvane's own folder (made when
  // missing) or holds a mirror, the browsers' bookmarks are imported into it afresh.
  // False when another import held the folder too long.
  bool RefreshMirrors(const std::string& favorites);

  Platform& platform_;
  std::string program_dir_;
  Form1View& view_;
  Form1State state_;
  bool busy_ = false;
  std::function<Clock::time_point()> clock_ = [] { return Clock::now(); };
};

}  // namespace zorvane
