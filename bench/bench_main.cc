// zorvane-bench: measures the catalogue build, the ranking and the window's start-up as
// whole processes, each against its floor, on synthetic profiles made from a seed.
//
//   zorvane-bench [--quick] [--repeat R] [--work DIR] [--only build,rank,places,window]
//                 [--cli PATH] [--helper PATH] [--window PATH] [--results FILE] [--keep]
//
// Sections: options; the work folder and profiles; measuring; the three benchmarks;
// the report.
//
// Every figure is the median of R runs (3 unless told; 1 in quick mode) after one run
// that is not counted, which fills the page cache. Each run of the ranking or the build
// starts from the same files: the settings file and url.dat are put back before it. The
// program checks what each run printed, so a figure never stands for a run that failed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/ie_index_writer.h"
#include "bench/places_writer.h"
#include "bench/process.h"
#include "bench/profile_gen.h"
#include "bench/report.h"
#include "platform/platform.h"
#include "ranking/ranking.h"

namespace zorvane::bench {
namespace {

// ---- Options -------------------------------------------------------------------------

struct Options {
  bool quick = false;
  int repeat = 3;
  bool repeat_given = false;
  std::string work;
  std::set<std::string> only;
  std::string cli = ZORVANE_BENCH_CLI;
  std::string helper = ZORVANE_BENCH_HELPER;
  std::string window = ZORVANE_BENCH_WINDOW;
  std::string results;
  bool keep = false;
};

constexpr char kUsage[] =
    "usage: zorvane-bench [--quick] [--repeat R] [--work DIR] [--only build,rank,places,window]\n"
    "                     [--cli PATH] [--helper PATH] [--window PATH] [--results FILE] "
    "[--keep]\n";

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    std::optional<std::string> v;
    if (arg == "--quick") {
      options.quick = true;
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--repeat" && (v = value())) {
      options.repeat = std::max(1, std::atoi(v->c_str()));
      options.repeat_given = true;
    } else if (arg == "--work" && (v = value())) {
      options.work = *v;
    } else if (arg == "--cli" && (v = value())) {
      options.cli = *v;
    } else if (arg == "--helper" && (v = value())) {
      options.helper = *v;
    } else if (arg == "--window" && (v = value())) {
      options.window = *v;
    } else if (arg == "--results" && (v = value())) {
      options.results = *v;
    } else if (arg == "--only" && (v = value())) {
      std::stringstream parts(*v);
      for (std::string part; std::getline(parts, part, ',');) options.only.insert(part);
    } else {
      return std::nullopt;
    }
  }
  if (options.quick && !options.repeat_given) options.repeat = 1;
  if (options.work.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    options.work = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                   (options.quick ? "/zorvane-bench-quick" : "/zorvane-bench");
  }
  return options;
}

bool Wanted(const Options& options, const std::string& part) {
  return options.only.empty() || options.only.contains(part);
}

// ---- The work folder and profiles ----------------------------------------------------

struct Sizes {
  std::vector<std::uint64_t> build_n;
  std::vector<std::uint64_t> rank_n;
  std::vector<std::uint64_t> rank_m;
  std::uint64_t places_n;  // the favourites ranked against the places.sqlite
  std::uint64_t places;
};

Sizes SizesFor(bool quick) {
  if (quick) return {{100, 1000}, {100}, {1000, 10000}, 100, 5000};
  return {{1000, 10000, 100000}, {1000, 10000}, {10000, 100000, 1000000}, 10000, 500000};
}

// The path of `name` found on $PATH, or "" when there is none.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (FileSize(candidate) >= 0) return candidate;
  }
  return "";
}

FavoritesSpec FavoritesFor(std::uint64_t n) {
  FavoritesSpec spec;
  spec.seed = 1000 + n;
  spec.shortcuts = n;
  spec.other_files = n / 2;
  spec.folders = std::max<std::size_t>(5, n / 40);
  spec.depth = 6;
  return spec;
}

CacheSpec CacheFor(std::uint64_t n, std::uint64_t m) {
  CacheSpec spec;
  spec.seed = 7000 + n * 31 + m;
  spec.entries = m;
  return spec;
}

std::string RegistryStore(const std::string& favorites) {
  std::string escaped;
  for (char c : favorites) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User "
         "Shell Folders]\r\n\"Favorites\"=\"" +
         escaped + "\"\r\n\r\n";
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

// One generated Favorites tree and what the build made of it.
struct FavoritesProfile {
  std::string dir;       // holds Favorites/, registry.reg and program/
  std::string root;      // the Favorites folder
  std::string registry;  // the registry store naming it
  std::string program;   // the program folder of the build
  std::vector<std::string> addresses;
  std::uint64_t files = 0;
};

// The same cache written both ways.
struct CacheProfile {
  std::string list;
  std::uint64_t list_bytes = 0;
  std::vector<std::string> index_files;
  std::uint64_t index_bytes = 0;
  std::uint64_t expected_rows = 0;  // entries the scan keeps: all but the cookies
};

// A Firefox history of the favourites of one tree among other places.
struct PlacesProfile {
  std::string file;
  PlacesSummary summary;
};

class Workspace final {
 public:
  Workspace(const Options& options, Platform& platform) : options_(options), platform_(platform) {}

  std::string Home() const { return options_.work + "/home"; }

  FavoritesProfile& Favorites(std::uint64_t n) {
    auto found = favorites_.find(n);
    if (found != favorites_.end()) return found->second;
    FavoritesProfile profile;
    profile.dir = options_.work + "/favorites-" + std::to_string(n);
    profile.root = profile.dir + "/Favorites";
    profile.registry = profile.dir + "/registry.reg";
    profile.program = profile.dir + "/program";
    RemoveTree(profile.dir);
    MakeDirectories(profile.root);
    MakeDirectories(profile.program);
    std::fprintf(stderr, "generating Favorites with %s shortcuts...\n", GroupDigits(n).c_str());
    FavoritesTree tree = GenerateFavorites(platform_, FavoritesFor(n), profile.root);
    profile.addresses = std::move(tree.addresses);
    profile.files = tree.files;
    WriteText(profile.registry, RegistryStore(profile.root));
    return favorites_.emplace(n, std::move(profile)).first->second;
  }

  CacheProfile& Cache(std::uint64_t n, std::uint64_t m) {
    const auto key = std::make_pair(n, m);
    auto found = caches_.find(key);
    if (found != caches_.end()) return found->second;
    const std::vector<std::string>& favourites = Favorites(n).addresses;
    std::fprintf(stderr, "generating a URL cache of %s entries...\n", GroupDigits(m).c_str());
    CacheProfile cache;
    const std::string base =
        options_.work + "/cache-" + std::to_string(n) + "-" + std::to_string(m);
    cache.list = base + ".txt";
    {
      CacheGenerator generator(CacheFor(n, m), favourites);
      cache.list_bytes = WriteCacheList(cache.list, generator);
      cache.expected_rows = generator.produced() - generator.cookies();
    }
    {
      CacheGenerator generator(CacheFor(n, m), favourites);
      cache.index_files =
          WriteIeIndexFiles(platform_, base + "-index", generator, &cache.index_bytes);
    }
    return caches_.emplace(key, std::move(cache)).first->second;
  }

  // Null when the database cannot be written.
  const PlacesProfile* Places(std::uint64_t n, std::uint64_t places) {
    const std::vector<std::string>& favourites = Favorites(n).addresses;
    std::fprintf(stderr, "generating a places.sqlite of %s places...\n",
                 GroupDigits(places).c_str());
    PlacesSpec spec;
    spec.seed = 9000 + n * 31 + places;
    spec.places = places;
    PlacesProfile profile;
    profile.file =
        options_.work + "/places-" + std::to_string(n) + "-" + std::to_string(places) + ".sqlite";
    if (!WritePlacesDatabase(profile.file, spec, favourites, &profile.summary)) return nullptr;
    return &(places_[std::make_pair(n, places)] = std::move(profile));
  }

 private:
  const Options& options_;
  Platform& platform_;
  std::map<std::uint64_t, FavoritesProfile> favorites_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, CacheProfile> caches_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, PlacesProfile> places_;
};

// ---- Measuring -----------------------------------------------------------------------

struct Run {
  std::vector<std::string> argv;
  std::vector<std::pair<std::string, std::string>> environment;
  std::function<void()> prepare;                         // before every run
  std::function<std::string(const std::string&)> check;  // "" when the output is right
};

struct Figures {
  double seconds = 0;
  double peak_mb = 0;
  bool ok = true;
};

Figures Measure(const Options& options, const Run& run, const std::string& label) {
  const std::string out = options.work + "/stdout.txt";
  const std::string err = options.work + "/stderr.txt";
  std::vector<double> seconds, peaks;
  Figures figures;
  for (int i = 0; i <= options.repeat; ++i) {  // run 0 warms the caches
    if (run.prepare) run.prepare();
    const ProcessResult result = MeasureProcess(options.helper, options.work + "/result.txt",
                                                run.argv, run.environment, out, err);
    const std::string output = ReadWholeFile(out);
    std::string problem;
    if (!result.started) {
      problem = "cannot start " + run.argv[0];
    } else if (result.exit_status != 0) {
      problem = "exit status " + std::to_string(result.exit_status);
    } else if (run.check) {
      problem = run.check(output);
    }
    if (!problem.empty()) {
      std::fprintf(stderr, "%s: %s\n%s%s", label.c_str(), problem.c_str(), output.c_str(),
                   ReadWholeFile(err).c_str());
      figures.ok = false;
      return figures;
    }
    if (i == 0) continue;
    seconds.push_back(result.seconds);
    peaks.push_back(static_cast<double>(result.peak_rss_kb) / 1024.0);
  }
  figures.seconds = Median(seconds);
  figures.peak_mb = Median(peaks);
  return figures;
}

std::vector<std::pair<std::string, std::string>> BaseEnvironment(const Workspace& workspace) {
  // A home of its own: the program finds no real browser or registry store.
  return {{"HOME", workspace.Home()},
          {"XDG_CONFIG_HOME", workspace.Home() + "/.config"},
          {"LC_ALL", "C.UTF-8"}};
}

std::size_t CountLines(const std::string& bytes) {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// ---- The three benchmarks ------------------------------------------------------------

constexpr char kBuildDone[] = "終了しました\n";

void RemoveBuildOutput(const std::string& program) {
  for (const char* name : {"/url.dat", "/zorvane.ini", "/zorvane.ini.lock"}) {
    RemoveFile(program + name);
  }
}

bool BenchmarkBuild(const Options& options, Workspace& workspace, std::uint64_t n,
                    std::vector<Measurement>* results) {
  FavoritesProfile& profile = workspace.Favorites(n);
  Run run;
  run.argv = {options.cli, "--program-dir", profile.program, "build"};
  run.environment = BaseEnvironment(workspace);
  run.environment.emplace_back("ZORVANE_REGISTRY", profile.registry);
  run.prepare = [&] { RemoveBuildOutput(profile.program); };
  run.check = [&](const std::string& output) -> std::string {
    if (output != kBuildDone) return "unexpected output";
    const std::size_t records = CountLines(ReadWholeFile(profile.program + "/url.dat"));
    if (records != n + 1) return "url.dat holds " + std::to_string(records) + " lines";
    return "";
  };
  const Figures build = Measure(options, run, "build N=" + std::to_string(n));
  if (!build.ok) return false;
  // The build's last run left its files: the floor writes as many bytes.
  const std::int64_t written =
      FileSize(profile.program + "/url.dat") + FileSize(profile.program + "/zorvane.ini");
  Run floor;
  floor.argv = {options.helper, "tree", profile.root, options.work + "/floor-output.bin",
                std::to_string(written)};
  const Figures floor_figures = Measure(options, floor, "floor of build N=" + std::to_string(n));
  if (!floor_figures.ok) return false;
  results->push_back({"build", n, 0, build.seconds, floor_figures.seconds, build.peak_mb,
                      floor_figures.peak_mb, 0});
  return true;
}

// Makes sure the build of `n` has left its catalogue, and keeps a copy of it to put
// back before every ranking.
bool PrepareCatalogue(const Options& options, Workspace& workspace, std::uint64_t n,
                      std::string* pristine_settings) {
  FavoritesProfile& profile = workspace.Favorites(n);
  if (FileSize(profile.program + "/url.dat") < 0) {
    std::vector<std::pair<std::string, std::string>> environment = BaseEnvironment(workspace);
    environment.emplace_back("ZORVANE_REGISTRY", profile.registry);
    const ProcessResult result =
        RunProcess({options.cli, "--program-dir", profile.program, "build"}, environment, "", "");
    if (result.exit_status != 0) return false;
  }
  *pristine_settings = profile.dir + "/zorvane.ini.catalogue";
  return CopyFile(profile.program + "/zorvane.ini", *pristine_settings);
}

bool BenchmarkRank(const Options& options, Workspace& workspace, std::uint64_t n, std::uint64_t m,
                   std::vector<Measurement>* results) {
  std::string pristine;
  if (!PrepareCatalogue(options, workspace, n, &pristine)) {
    std::fprintf(stderr, "cannot build the catalogue of N=%llu\n",
                 static_cast<unsigned long long>(n));
    return false;
  }
  FavoritesProfile& profile = workspace.Favorites(n);
  const CacheProfile& cache = workspace.Cache(n, m);
  const std::string expected_label =
      FormatCountLabel(static_cast<std::int32_t>(cache.expected_rows)) + "\n";

  struct Source {
    std::string group;
    std::vector<std::string> files;
    std::uint64_t bytes;
  };
  const Source sources[] = {{"rank list", {cache.list}, cache.list_bytes},
                            {"rank index", cache.index_files, cache.index_bytes}};
  for (const Source& source : sources) {
    std::string joined;
    for (const std::string& file : source.files) joined += (joined.empty() ? "" : ":") + file;
    Run run;
    run.argv = {options.cli, "--program-dir", profile.program, "rank"};
    run.environment = BaseEnvironment(workspace);
    run.environment.emplace_back("ZORVANE_URL_CACHE", joined);
    run.prepare = [&] { CopyFile(pristine, profile.program + "/zorvane.ini"); };
    run.check = [&](const std::string& output) -> std::string {
      if (output.rfind(expected_label, 0) != 0) return "unexpected count, wanted " + expected_label;
      if (CountLines(output) < 2) return "no row ranked";
      return "";
    };
    const std::string label = source.group + " N=" + std::to_string(n) + " M=" + std::to_string(m);
    const Figures rank = Measure(options, run, label);
    if (!rank.ok) return false;
    Run floor;
    floor.argv = {options.helper, "read"};
    floor.argv.insert(floor.argv.end(), source.files.begin(), source.files.end());
    const Figures floor_figures = Measure(options, floor, "floor of " + label);
    if (!floor_figures.ok) return false;
    // A cache list's second floor also finds every line: what the parse cannot avoid.
    double parse_floor = 0;
    const std::string wc = FindProgram("wc");
    if (source.group == "rank list" && !wc.empty()) {
      Run lines;
      lines.argv = {wc, "-l", source.files.front()};
      const Figures lines_figures = Measure(options, lines, "lines of " + label);
      if (!lines_figures.ok) return false;
      parse_floor = lines_figures.seconds;
    }
    results->push_back({source.group, n, m, rank.seconds, floor_figures.seconds, rank.peak_mb,
                        floor_figures.peak_mb, static_cast<double>(source.bytes) / 1048576.0,
                        parse_floor});
  }
  return true;
}

// The ranking of a Firefox history against what a user would run instead: the sqlite3
// command scanning the same rows of the same file. SQLite answers the query as typed
// through the index on visit_count, reading the table out of order, which takes
// several times a plain scan; the figure judged is the faster of that and the same query
// made to scan the table.
constexpr char kPlacesQuery[] =
    "select count(*), sum(length(url)), sum(visit_count) from moz_places "
    "where hidden = 0 and visit_count > 0";
constexpr char kPlacesScan[] =
    "select count(*), sum(length(url)), sum(visit_count) from moz_places not indexed "
    "where hidden = 0 and visit_count > 0";

bool BenchmarkPlaces(const Options& options, Workspace& workspace, std::uint64_t n,
                     std::uint64_t places, std::vector<Measurement>* results) {
  std::string pristine;
  if (!PrepareCatalogue(options, workspace, n, &pristine)) return false;
  FavoritesProfile& profile = workspace.Favorites(n);
  const PlacesProfile* history = workspace.Places(n, places);
  if (history == nullptr) {
    std::fprintf(stderr, "cannot write the places.sqlite of %llu places\n",
                 static_cast<unsigned long long>(places));
    return false;
  }
  const std::string expected_label =
      FormatCountLabel(static_cast<std::int32_t>(history->summary.viewed)) + "\n";
  Run run;
  run.argv = {options.cli, "--program-dir", profile.program, "rank"};
  run.environment = BaseEnvironment(workspace);
  run.environment.emplace_back("ZORVANE_URL_CACHE", history->file);
  run.prepare = [&] { CopyFile(pristine, profile.program + "/zorvane.ini"); };
  run.check = [&](const std::string& output) -> std::string {
    if (output.rfind(expected_label, 0) != 0) return "unexpected count, wanted " + expected_label;
    if (CountLines(output) < 2) return "no row ranked";
    return "";
  };
  const std::string label = "rank places N=" + std::to_string(n) + " M=" + std::to_string(places);
  const Figures rank = Measure(options, run, label);
  if (!rank.ok) return false;
  Figures scan;
  const std::string sqlite3 = FindProgram("sqlite3");
  if (sqlite3.empty()) {
    std::fprintf(stderr, "%s: no sqlite3 command to compare with\n", label.c_str());
  } else {
    Run command;
    command.argv = {sqlite3, "-readonly", history->file, kPlacesQuery};
    const Figures typed = Measure(options, command, "sqlite3 query of " + label);
    command.argv.back() = kPlacesScan;
    scan = Measure(options, command, "sqlite3 scan of " + label);
    if (!typed.ok || !scan.ok) return false;
    std::fprintf(stderr, "%s: sqlite3 %.3f s as typed, %.3f s scanning the table\n", label.c_str(),
                 typed.seconds, scan.seconds);
    if (typed.seconds < scan.seconds) scan = typed;
  }
  results->push_back({"rank places", n, places, rank.seconds, scan.seconds, rank.peak_mb,
                      scan.peak_mb, static_cast<double>(history->summary.bytes) / 1048576.0});
  return true;
}

// The window prints the monotonic clock at its first shown frame (--first-frame); the
// start-up is that moment less the moment just before the process was started.
bool BenchmarkWindow(const Options& options, Workspace& workspace,
                     std::vector<Measurement>* results) {
  if (options.window.empty()) {
    std::fprintf(stderr, "window: not measured (the Qt window is not part of this build)\n");
    return true;
  }
  const std::string program = options.work + "/window-program";
  MakeDirectories(program);
  std::vector<double> seconds, peaks;
  for (int i = 0; i <= options.repeat; ++i) {
    std::vector<std::pair<std::string, std::string>> environment = BaseEnvironment(workspace);
    environment.emplace_back("QT_QPA_PLATFORM", "offscreen");
    const std::string out = options.work + "/window.txt";
    const ProcessResult result = MeasureProcess(
        options.helper, options.work + "/result.txt",
        {options.window, "--program-dir", program, "--first-frame"}, environment, out, "");
    unsigned long long frame_ns = 0;
    const std::string output = ReadWholeFile(out);
    if (result.exit_status != 0 ||
        std::sscanf(output.c_str(), "first-frame %llu", &frame_ns) != 1 ||
        frame_ns < result.start_ns) {
      std::fprintf(stderr, "window: no first frame reported: %s\n", output.c_str());
      return false;
    }
    if (i == 0) continue;
    seconds.push_back(static_cast<double>(frame_ns - result.start_ns) / 1e9);
    peaks.push_back(static_cast<double>(result.peak_rss_kb) / 1024.0);
  }
  results->push_back({"window", 0, 0, Median(seconds), 0, Median(peaks), 0, 0});
  return true;
}

// ---- The report ----------------------------------------------------------------------

std::string Cell(std::optional<double> value, const char* format) {
  if (!value) return "-";
  char text[32];
  std::snprintf(text, sizeof(text), format, *value);
  return text;
}

void PrintReport(const Options& options, const std::vector<Measurement>& results) {
  std::printf("\nZorvane benchmarks: whole-process wall time and peak RSS, median of %d run%s\n",
              options.repeat, options.repeat == 1 ? "" : "s");
  // For "rank places" the floor is the sqlite3 command's scan of the same rows.
  std::printf("\n%-11s %9s %11s %9s %9s %7s %9s %7s %7s %9s %9s %9s %7s\n", "command", "N", "M",
              "time s", "floor s", "xfloor", "wc -l s", "xwc", "growth", "peak MB", "floor MB",
              "source MB", "xsource");
  const auto positive = [](double value) {
    return value > 0 ? std::optional(value) : std::nullopt;
  };
  for (const Measurement& row : results) {
    std::printf("%-11s %9s %11s %9.3f %9s %7s %9s %7s %7s %9.1f %9s %9s %7s\n", row.group.c_str(),
                row.n ? GroupDigits(row.n).c_str() : "-", row.m ? GroupDigits(row.m).c_str() : "-",
                row.seconds, Cell(positive(row.floor_seconds), "%.3f").c_str(),
                Cell(Ratio(row.seconds, row.floor_seconds), "%.1f").c_str(),
                Cell(positive(row.parse_floor_seconds), "%.3f").c_str(),
                Cell(Ratio(row.seconds, row.parse_floor_seconds), "%.1f").c_str(),
                Cell(Growth(results, row), "%.1f").c_str(), row.peak_mb,
                Cell(positive(row.floor_peak_mb), "%.1f").c_str(),
                Cell(positive(row.source_mb), "%.1f").c_str(),
                Cell(Ratio(row.peak_mb, row.source_mb), "%.2f").c_str());
  }
  if (options.quick) {
    std::printf("\nquick mode: sizes too small to judge the targets\n");
    return;
  }
  std::printf("\ntargets:\n");
  for (const Verdict& verdict : JudgeTargets(results)) {
    std::printf("  %-6s %-70s %s\n", verdict.met ? "met" : "MISSED", verdict.target.c_str(),
                verdict.figure.c_str());
  }
}

void WriteResults(const std::string& path, const std::vector<Measurement>& results) {
  std::ofstream out(path, std::ios::trunc);
  out << "group\tn\tm\tseconds\tfloor_seconds\tpeak_mb\tfloor_peak_mb\tsource_mb\t"
         "parse_floor_seconds\n";
  for (const Measurement& row : results) {
    out << row.group << '\t' << row.n << '\t' << row.m << '\t' << row.seconds << '\t'
        << row.floor_seconds << '\t' << row.peak_mb << '\t' << row.floor_peak_mb << '\t'
        << row.source_mb << '\t' << row.parse_floor_seconds << '\n';
  }
}

int Main(int argc, char** argv) {
  const std::optional<Options> parsed = ParseOptions(argc, argv);
  if (!parsed) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const Options& options = *parsed;
  // The work folder is emptied first; only one this program made is ever removed.
  const std::string marker = options.work + "/.zorvane-bench";
  if (FileSize(options.work) >= 0 && FileSize(marker) < 0) {
    std::fprintf(stderr, "%s exists and is not a benchmark folder; choose another --work\n",
                 options.work.c_str());
    return 1;
  }
  RemoveTree(options.work);
  if (!MakeDirectories(options.work + "/home/.config") || !WriteText(marker, "")) {
    std::fprintf(stderr, "cannot make %s\n", options.work.c_str());
    return 1;
  }
  std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  Workspace workspace(options, *platform);
  const Sizes sizes = SizesFor(options.quick);
  std::vector<Measurement> results;
  bool ok = true;
  if (Wanted(options, "build")) {
    for (std::uint64_t n : sizes.build_n)
      ok = ok && BenchmarkBuild(options, workspace, n, &results);
  }
  if (Wanted(options, "rank")) {
    for (std::uint64_t n : sizes.rank_n) {
      for (std::uint64_t m : sizes.rank_m)
        ok = ok && BenchmarkRank(options, workspace, n, m, &results);
    }
  }
  if (Wanted(options, "places")) {
    ok = ok && BenchmarkPlaces(options, workspace, sizes.places_n, sizes.places, &results);
  }
  if (Wanted(options, "window")) ok = ok && BenchmarkWindow(options, workspace, &results);
  PrintReport(options, results);
  if (!options.results.empty()) WriteResults(options.results, results);
  if (!options.keep) RemoveTree(options.work);
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace zorvane::bench

int main(int argc, char** argv) { return zorvane::bench::Main(argc, argv); }
