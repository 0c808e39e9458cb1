// The ranking rows as zorvane-cli prints them: tab-separated lines (the default), CSV
// with a header row, or a JSON array.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"

namespace zorvane {

enum class RankFormat { kTsv, kCsv, kJson };

// "tsv", "csv" or "json"; nothing for any other text.
std::optional<RankFormat> ParseRankFormat(std::string_view name);

// The rows in `format`, each line ended by "\n". TSV: ICON, TITLE, RATE, ADDRESS, HITS.
std::string FormatRankRows(const std::vector<ListViewRow>& rows, RankFormat format);

}  // namespace zorvane
