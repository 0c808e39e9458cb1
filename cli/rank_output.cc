#include "cli/rank_output.h"

#include <cstdlib>

#include <nlohmann/json.hpp>

namespace zorvane {
namespace {

// One CSV field: quoted when it holds a comma, a quote or a line break, with quotes
// doubled.
std::string CsvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::optional<RankFormat> ParseRankFormat(std::string_view name) {
  if (name == "tsv") return RankFormat::kTsv;
  if (name == "csv") return RankFormat::kCsv;
  if (name == "json") return RankFormat::kJson;
  return std::nullopt;
}

std::string FormatRankRows(const std::vector<ListViewRow>& rows, RankFormat format) {
  std::string out;
  switch (format) {
    case RankFormat::kTsv:
      for (const ListViewRow& row : rows) {
        out += std::to_string(row.small_icon) + "\t" + row.title + "\t" + row.rate + "\t" +
               row.address + "\t" + row.hits + "\n";
      }
      break;
    case RankFormat::kCsv:
      out = "rank,icon,title,rate,address,hits\r\n";
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const ListViewRow& row = rows[i];
        out += std::to_string(i + 1) + "," + std::to_string(row.small_icon) + "," +
               CsvField(row.title) + "," + CsvField(row.rate) + "," + CsvField(row.address) +
               "," + CsvField(row.hits) + "\r\n";
      }
      break;
    case RankFormat::kJson: {
      nlohmann::ordered_json array = nlohmann::ordered_json::array();
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const ListViewRow& row = rows[i];
        array.push_back({{"rank", i + 1},
                         {"icon", row.small_icon},
                         {"title", row.title},
                         {"rate", row.rate},
                         {"address", row.address},
                         {"hits", std::strtoll(row.hits.c_str(), nullptr, 10)}});
      }
      // Invalid UTF-8 (a file name in another encoding) is replaced, never an exception.
      out = array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
      break;
    }
  }
  return out;
}

}  // namespace zorvane
