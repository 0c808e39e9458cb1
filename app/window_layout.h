// Where the controls of the main window and the About box stand, the captions the skins
// draw and the menus with the handler of each command: one table per window that the Qt
// and the Win32 skins share and loop over. Positions are left, top, width, height in
// twips (1/1440 inch; 15 twips per pixel at 96 dots per inch) inside the client area.
#pragma once

#include <span>
#include <stdexcept>
#include <string_view>

#include "app/form1.h"

namespace zorvane {

// `twips` at `dots_per_inch`, rounded to the nearest pixel, halves away from zero (15
// twips are a pixel at 96 dots per inch).
constexpr int TwipsToPixels(int twips, int dots_per_inch) {
  const long long scaled = static_cast<long long>(twips) * dots_per_inch;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}
static_assert(TwipsToPixels(15, 96) == 1);
static_assert(TwipsToPixels(5880, 96) == 392);
static_assert(TwipsToPixels(5880, 144) == 588);
static_assert(TwipsToPixels(-8, 96) == -1);

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

struct PixelRect {
  int left;
  int top;
  int width;
  int height;
};

// A rectangle at the given resolutions. Both edges are converted and the size taken
// between them, so controls that meet in twips meet in pixels too.
constexpr PixelRect TwipsRectToPixels(const TwipsRect& rect, int dpi_x, int dpi_y) {
  const int left = TwipsToPixels(rect.left, dpi_x);
  const int top = TwipsToPixels(rect.top, dpi_y);
  return {left, top, TwipsToPixels(rect.left + rect.width, dpi_x) - left,
          TwipsToPixels(rect.top + rect.height, dpi_y) - top};
}
static_assert(TwipsRectToPixels({8, 8, 8, 8}, 96, 96).width == 0);  // 0.53 to 1.07 pixels

// One control: the name both skins give it (tests find it by that name), where it stands,
// and whether it shows when the window opens.
struct ControlLayout {
  const char* name;
  TwipsRect rect;
  bool visible;
};

// The control named `name` in `controls`, which must hold it.
constexpr const ControlLayout& FindControl(std::span<const ControlLayout> controls,
                                           std::string_view name) {
  for (const ControlLayout& control : controls) {
    if (name == control.name) return control;
  }
  throw std::logic_error("a control missing from the layout");
}

struct ColumnLayout {
  const char* header;
  int width;  // twips
};

namespace form1_layout {

inline constexpr int kClientWidth = 5880;
inline constexpr int kClientHeight = 3690;

inline constexpr TwipsRect kCommand3 = {4440, 3240, 1335, 375};
inline constexpr TwipsRect kPBar = {2160, 120, 3615, 255};
inline constexpr TwipsRect kList2 = {6000, 360, 975, 3480};  // right of the client area
inline constexpr TwipsRect kFile1 = {4200, 3720, 495, 270};
inline constexpr TwipsRect kDir1 = {3960, 3600, 975, 510};
inline constexpr TwipsRect kList1 = {3840, 3600, 2535, 600};
inline constexpr TwipsRect kCommand2 = {1680, 3240, 2175, 375};
inline constexpr TwipsRect kListView1 = {120, 480, 5655, 2655};
inline constexpr TwipsRect kCommand1 = {120, 3240, 1455, 375};
inline constexpr TwipsRect kCombo1 = {1800, 3600, 2415, 300};
inline constexpr TwipsRect kLabel1 = {120, 120, 1935, 255};

// Every control; the hidden ones are the helpers of the catalogue build and the selector.
inline constexpr ControlLayout kControls[] = {
    {"Command3", kCommand3, true}, {"PBar", kPBar, false},          {"List2", kList2, true},
    {"File1", kFile1, false},      {"Dir1", kDir1, false},          {"List1", kList1, false},
    {"Command2", kCommand2, true}, {"ListView1", kListView1, true}, {"Command1", kCommand1, true},
    {"Combo1", kCombo1, false},    {"Label1", kLabel1, true},
};

// The etched rule under the menu bar: Line1 in the default colour with the white Line2
// directly beneath it.
inline constexpr int kRuleLeft = 120;
inline constexpr int kRuleRight = 5760;
inline constexpr int kLine1Top = 0;
inline constexpr int kLine2Top = 15;

inline constexpr ColumnLayout kColumns[] = {
    {"タイトル", 1400}, {"シチョーリツ", 1200}, {"URL", 2000}, {"表示回数", 900}};

// One command of a menu: the name the skins give it (tests find it by that name), its
// caption, and the handler it runs. A separator has a name only.
struct MenuCommand {
  const char* name;
  const char* caption;       // nullptr for a separator
  void (Form1::*handler)();  // nullptr for a separator
};

struct MenuLayout {
  const char* name;
  const char* caption;
  std::span<const MenuCommand> commands;
};

// No shortcut keys; only "E&XIT" has an access key.
inline constexpr MenuCommand kMenuCommands[] = {
    {"mnuFromFavotie", "お気に入りからデータ取得", &Form1::mnuFromFavotie_Click},
    {"mnuRanking", "ランキング", &Form1::mnuRanking_Click},
    {"mnuAddFavorite", "お気に入りに追加", &Form1::mnuAddFavorite_Click},
    // Favourites kept as browser bookmarks come into the Favorites folder this way.
    {"mnuImportBookmarks", "ブラウザのブックマークを取り込む", &Form1::mnuImportBookmarks_Click},
    {"mnuLine", nullptr, nullptr},
    {"mnuExit", "E&XIT", &Form1::mnuExit_Click},
};
inline constexpr MenuCommand kHelpCommands[] = {
    {"mnuReadme", "Readme", &Form1::mnuReadme_Click},
    {"Homepage", "Homepage", &Form1::Homepage_Click},
    {"mnuVersion", "Version", &Form1::mnuVersion_Click},
    {"none2", nullptr, nullptr},
    {"mnuMailSend", "メールで投稿", &Form1::mnuMailSend_Click},
};
inline constexpr MenuLayout kMenus[] = {
    {"mnuMenu", "メニュー", kMenuCommands},
    {"mnuHelp", "HELP", kHelpCommands},
};

inline constexpr char kCommand1Caption[] = "ランキング";
inline constexpr char kCommand2Caption[] = "お気に入りデータの更新";
inline constexpr char kCommand3Caption[] = "終了";
inline constexpr char kCombo1Text[] = "Combo1";

}  // namespace form1_layout

namespace frm_about_layout {

inline constexpr int kClientWidth = 5730;
inline constexpr int kClientHeight = 2100;

// cmdSysInfo and lblDisclaimer lie below the client area: out of sight, yet the button
// is reached by Tab and by Alt+S.
inline constexpr TwipsRect kCmdOk = {2280, 1680, 1310, 345};
inline constexpr TwipsRect kPicIcon = {240, 240, 540, 540};
inline constexpr TwipsRect kCmdSysInfo = {4260, 3075, 1310, 345};
inline constexpr TwipsRect kLblDescription = {1050, 1125, 3885, 210};
inline constexpr TwipsRect kLblDisclaimer = {255, 2625, 3870, 825};
inline constexpr TwipsRect kLblTitle = {1050, 240, 3885, 480};
inline constexpr TwipsRect kLblVersion = {1050, 780, 3885, 225};

inline constexpr ControlLayout kControls[] = {
    {"cmdOK", kCmdOk, true},
    {"picIcon", kPicIcon, true},
    {"cmdSysInfo", kCmdSysInfo, true},
    {"lblDescription", kLblDescription, true},
    {"lblDisclaimer", kLblDisclaimer, true},
    {"lblTitle", kLblTitle, true},
    {"lblVersion", kLblVersion, true},
};

}  // namespace frm_about_layout
}  // namespace zorvane
