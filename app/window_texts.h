// What the two windows say: the messages and status texts of the main window and the
// texts of the About box, each defined once. The captions of controls and menus stand with
// the layout (window_layout.h); the count label is the ranking's (FormatCountLabel).
#pragma once

namespace zorvane {

namespace form1_texts {

// Catalogue build ("お気に入りデータの更新").
inline constexpr char kBuilding[] = "お気に入りデータ作成中...";
inline constexpr char kBuilt[] = "終了しました";
inline constexpr char kFolderListFailed[] = "お気にいりフォルダ一覧の取得に失敗";
inline constexpr char kSaveFailed[] = "お気に入りデータの保存に失敗";
// Shown by every command that writes into the Favorites folder when its path is unknown.
inline constexpr char kNoFavoritesFolder[] = "Favoritesフォルダのパス取得に失敗";

// Ranking.
inline constexpr char kNoCatalogue[] = "まず、お気に入りデータを作成してください";
inline constexpr char kScanning[] = "調査中 ...";

// Adding the ranking to the Favorites folder.
inline constexpr char kAdded[] = "追加されました";
inline constexpr char kAddFailed[] = "お気に入りへの追加に失敗";

// Importing browser bookmarks: "N個のブックマークを取り込みました", followed by
// "（ページ以外のM個は除外）" when M of them were no pages, "（名前が長すぎるK個は除外）"
// when K could not be given a name the file system takes, and
// "（S個の取り込み元を読めませんでした）" when S sources were not imported.
inline constexpr char kImporting[] = "ブックマーク取り込み中...";
inline constexpr char kImportedCount[] = "個のブックマークを取り込みました";
inline constexpr char kLeftOutBefore[] = "（ページ以外の";
inline constexpr char kLeftOutAfter[] = "個は除外）";
inline constexpr char kTooLongBefore[] = "（名前が長すぎる";
inline constexpr char kSkippedSourcesBefore[] = "（";
inline constexpr char kSkippedSourcesAfter[] = "個の取り込み元を読めませんでした）";
inline constexpr char kImportBusy[] =
    "別のブックマークの取り込みかお気に入りデータの更新が終わらないため、取り込めませんでした";

// Waiting while another import, or a build, holds the Favorites folder.
inline constexpr char kWaitingForFavorites[] =
    "お気に入りフォルダを使う他の処理の終了を待っています...";
inline constexpr char kBuildBusy[] =
    "ブックマークの取り込みが終わらないため、お気に入りデータを更新できませんでした";
inline constexpr char kNoBookmarks[] = "ブラウザのブックマークが見つかりません";
inline constexpr char kImportFailed[] = "ブックマークの取り込みに失敗";

}  // namespace form1_texts

namespace frm_about_texts {

inline constexpr char kDescription[] = "お気に入りの閲覧率ランキングを表示します";
inline constexpr char kDisclaimer[] = "警告: ...";
inline constexpr char kOkCaption[] = "OK";
inline constexpr char kSysInfoCaption[] = "ｼｽﾃﾑ情報(&S)...";
inline constexpr char kSysInfoUnavailable[] = "現時点ではｼｽﾃﾑ情報を使用できません";

}  // namespace frm_about_texts

}  // namespace zorvane
