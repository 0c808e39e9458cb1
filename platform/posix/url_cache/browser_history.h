// Browser history databases as a URL-cache source: Firefox's places.sqlite and the
// Chromium family's History, both SQLite files, read through a private copy
// (sqlite_copy.h).
//
// Every visible URL with at least one view becomes one normal cache entry (type 0x1)
// whose hit count is its number of views: the browser's visit count less the visits that
// only led on through a server redirect (HTTP 301, 302, 303, 307, 308), since the page
// shown was another. A page that only redirected is left out; the source of a client
// redirect (a meta refresh) was shown and still counts.
// - Firefox, tables moz_places and moz_historyvisits: a visit whose successor (the visit
//   whose from_visit it is) has visit type 5 or 6 led on through a server redirect. Rows
//   with hidden = 1 (pages shown only inside frames and other addresses Firefox's own
//   history view leaves out) and rows never visited (bookmarked or typed-only) are
//   skipped.
// - Chromium, tables urls and visits: a visit whose successor carries the
//   server-redirect qualifier (0x80000000) in its transition led on through one. Rows
//   with hidden = 1 or never visited are skipped.
// A file holding moz_places is read as Firefox, otherwise one holding urls as Chromium;
// any other SQLite file is of an unknown kind.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/url_cache/source_status.h"

namespace zorvane {

// Receives each visible, viewed URL of a history as it is read, in the order of the ids:
// the address (UTF-8, as the browser stores it; valid only during the call) and its
// views (at most 2147483647: the ranking reads hits as signed 32-bit).
using HistoryRowSink = std::function<void(std::string_view address, std::uint32_t hits)>;

// Reads the rows of the history database at `path` into `sink`. Only kRead means that
// every row was given: after any other result the rows given so far must be discarded,
// so that a damaged file never contributes a partial and misleading share of the hits.
SourceStatus ReadBrowserHistory(const std::string& path, const HistoryRowSink& sink);

// An address in the form the ANSI code page (932) can carry and give back unchanged:
// characters it cannot hold are percent-encoded as UTF-8 bytes instead of becoming "?",
// so two different addresses never meet as one. ASCII addresses (what browsers store)
// pass unchanged.
std::string AddressForCodePage(std::string_view utf8);

// The address as a cache entry hands it over: AddressForCodePage's form in UTF-8
// (AddressEncoding::kUtf8). An address the code page holds whole is passed where it lies;
// only one with characters it cannot hold is written into `scratch`.
std::string_view HistoryEntryAddress(std::string_view utf8, std::string* scratch);

// Calls `visit` for each row of ReadBrowserHistory, the address as HistoryEntryAddress
// gives it, until `visit` returns false. Returns false when `visit` asked to stop, true
// otherwise.
bool EnumerateBrowserHistory(const std::string& path,
                             const std::function<bool(const UrlCacheEntry&)>& visit);

}  // namespace zorvane
