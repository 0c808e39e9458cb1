// A Firefox history database (places.sqlite) for the benchmark, written with SQLite in
// the layout Firefox gives it: moz_places with its columns and indexes, moz_historyvisits
// with one visit per visited place, some of them reached through a server redirect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/profile_gen.h"

namespace zorvane::bench {

struct PlacesSpec {
  std::uint64_t seed = 3;
  std::size_t places = 500000;
  double favourite_share = 0.05;  // places whose address is a favourite's (each at most once)
  double hidden_share = 0.02;     // hidden places (frames, embeds)
  double unvisited_share = 0.03;  // places never visited (bookmarked or typed only)
  double redirect_share = 0.02;   // visits that a server redirect led on to the next place
  double japanese_share = 0.1;
  std::uint32_t max_hits = 100000;
  std::size_t min_address_bytes = 20;
  std::size_t max_address_bytes = 500;
};

// What the ranking will see of a written database.
struct PlacesSummary {
  std::uint64_t viewed = 0;  // visible places with at least one view after the redirects
  std::uint64_t bytes = 0;   // the file's size
};

// Writes the database to `path` (replacing it). False when it cannot be written.
bool WritePlacesDatabase(const std::string& path, const PlacesSpec& spec,
                         const std::vector<std::string>& favourites, PlacesSummary* summary);

}  // namespace zorvane::bench
