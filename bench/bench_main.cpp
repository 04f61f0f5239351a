// velk-bench: how fast velk-convert turns records into COMTRADE pairs, and in how
// much memory, next to the time `cp` takes to copy the same four output files.
//
// It makes its own records in a scratch folder (removed case by case), runs
// velk-convert as a child process per conversion and prints one table row per
// case: output size, the median and best wall time of the conversion, MB/s of
// output written at the median (1 MB = 10^6 bytes), the child's peak resident
// memory, and the median and best time of `cp` copying the four output files
// into another folder, run right after each conversion. Before each timed step
// the page cache is written out (sync), so no step pays for the one before.
// Discrete records damaged by one line of hundreds of MiB must be rejected:
// their rows show the time and peak memory of the rejection, and no output.
//
//   velk-bench [--convert PATH] [--dir FOLDER] [--runs N] [--skip-10h] [--only TEXT]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "app/folder_conversion.h"
#include "bench/child.h"
#include "bench/picture_bench.h"
#include "bench/reader_bench.h"
#include "bench/records.h"

namespace velk::bench {
namespace {

namespace fs = std::filesystem;

// The discrete limits: the header check reads at most 10000 lines after the
// start pair (so 4999 event pairs and the read that meets the end of the file),
// and the device keeps at most 99 distinct times.
constexpr int kMostEvents = 4999;
constexpr int kMostTimes = 99;
constexpr int kLoopRecords = 1000;
constexpr int kRejected = 2;  // velk-convert's exit status for a record its check rejects
constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kLoopSeconds = 2;
// The form of the 2013 rows, beside the 1999 rows of the same records.
const std::vector<std::string> kRevision2013 = {"--revision", "2013", "--time-code", "+3"};

struct Options {
  std::string convert = VELK_CONVERT;
  std::string dir;
  int runs = 3;
  bool skip_long = false;
  std::string only;
};

struct Figures {
  std::vector<double> times;  // seconds, one per run
  double peak_rss_mib = 0;
  int status = 0;  // the first non-zero exit status met, else 0

  void Add(const ChildRun& run) {
    times.push_back(run.seconds);
    peak_rss_mib = std::max(peak_rss_mib, run.peak_rss_mib);
    if (run.status != 0 && status == 0) status = run.status;
  }
  double Best() const { return times.empty() ? 0 : *std::min_element(times.begin(), times.end()); }
  double Median() const {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t mid = sorted.size() / 2;
    if (sorted.empty()) return 0;
    return sorted.size() % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
  }
};

// Writes out every file waiting in the page cache, so that each timed step
// starts from a clean cache and none pays for the one before: a 10-hour
// record's 2.2 GB would otherwise still be going to the disk while cp runs.
void Settle() {
  sync();
}

// The four files of the pair written for OUT.cfg.
std::vector<std::string> PairFiles(const std::string& cfg) {
  const std::string base = cfg.substr(0, cfg.size() - 4);
  return {cfg, base + ".dat", base + "ASCII.cfg", base + "ASCII.dat"};
}

void RemoveAll(const std::vector<std::string>& files) {
  std::error_code ignored;
  for (const std::string& f : files) fs::remove(f, ignored);
}

std::uintmax_t TotalSize(const std::vector<std::string>& files) {
  std::uintmax_t total = 0;
  std::error_code error;
  for (const std::string& f : files) {
    const auto size = fs::file_size(f, error);
    if (!error) total += size;
  }
  return total;
}

// Every ordinary file below folder.
std::vector<std::string> FilesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error))
    if (it->is_regular_file()) files.push_back(it->path().string());
  return files;
}

void PrintHeading() {
  std::printf("%-34s %8s %9s %8s %8s %8s %7s %8s %8s %7s %7s\n", "case", "input MB", "output MB",
              "conv s", "best", "MB/s", "RSS MiB", "cp s", "best", "conv/cp", "best");
}

void PrintRow(const std::string& name, double input_mb, double output_mb, const Figures& convert,
              const Figures& copy) {
  std::printf("%-34s %8.2f %9.2f %8.3f %8.3f %8.1f %7.1f %8.3f %8.3f %7.2f %7.2f", name.c_str(),
              input_mb, output_mb, convert.Median(), convert.Best(), output_mb / convert.Median(),
              convert.peak_rss_mib, copy.Median(), copy.Best(), convert.Median() / copy.Median(),
              convert.Best() / copy.Best());
  if (convert.status != 0) std::printf("  velk-convert FAILED: exit status %d", convert.status);
  if (copy.status != 0) std::printf("  cp FAILED: exit status %d", copy.status);
  std::printf("\n");
  std::fflush(stdout);
}

class Bench {
 public:
  explicit Bench(Options options) : options_(std::move(options)) {}

  bool Wanted(const std::string& name) const {
    return options_.only.empty() || name.find(options_.only) != std::string::npos;
  }

  // Per run: converts, then copies the four output files, so that both meet
  // the same conditions of the machine.
  void Case(const std::string& name, std::vector<std::string> args,
            const std::vector<std::string>& inputs, int runs) {
    const std::string cfg = args.back();
    const std::vector<std::string> outputs = PairFiles(cfg);
    std::vector<std::string> convert_argv = {options_.convert};
    convert_argv.insert(convert_argv.end(), args.begin(), args.end());
    const fs::path copy_dir = fs::path(cfg).parent_path() / "copy";
    std::vector<std::string> cp_argv = {"cp"};
    cp_argv.insert(cp_argv.end(), outputs.begin(), outputs.end());
    cp_argv.push_back(copy_dir.string());

    Figures convert, copy;
    for (int r = 0; r < runs; ++r) {
      RemoveAll(outputs);
      Settle();
      convert.Add(RunChild(convert_argv));
      fs::remove_all(copy_dir);
      fs::create_directories(copy_dir);
      Settle();
      copy.Add(RunChild(cp_argv));
    }
    PrintRow(name, static_cast<double>(TotalSize(inputs)) / 1e6,
             static_cast<double>(TotalSize(outputs)) / 1e6, convert, copy);
  }

  // form: velk-convert's output-form options, such as {"--revision", "2013"}.
  void Analog(int type, std::int64_t seconds, const std::string& length,
              const std::vector<std::string>& form = {}) {
    const std::string name = "analog type " + std::to_string(type) + ", " + length + Mark(form);
    if (!Wanted(name) || (options_.skip_long && seconds >= 36000)) return;
    const fs::path dir = Fresh("analog");
    const std::string flh = (dir / "rec.flh").string();
    if (!WriteAnalogRecord(flh, type, SamplesFor(seconds))) return Fail(name);
    std::vector<std::string> args = {"analog"};
    args.insert(args.end(), form.begin(), form.end());
    args.insert(args.end(), {flh, (dir / "out.cfg").string()});
    Case(name, args, {flh}, Runs(seconds));
    fs::remove_all(dir);
  }

  void Discrete(int channels) {
    const std::string name = "discrete " + std::to_string(channels) + " channels, " +
                             std::to_string(kMostEvents) + " events";
    if (!Wanted(name)) return;
    const fs::path dir = Fresh("discrete");
    const std::string txt = (dir / "rec.txt").string();
    if (!WriteBytes(txt, DiscreteRecordBytes(channels, kMostEvents, kMostTimes, 9900)))
      return Fail(name);
    Case(name, {"discrete", txt, (dir / "out.cfg").string()}, {txt}, std::max(options_.runs, 5));
    fs::remove_all(dir);
  }

  // An analog record of type 60 and a discrete record of 16 signals whose
  // states reach past its end, so that every analog sample is written.
  void Combined(std::int64_t seconds, const std::string& length,
                const std::vector<std::string>& form = {}) {
    const std::string name = "combined type 60 + 16 ch, " + length + Mark(form);
    if (!Wanted(name)) return;
    const fs::path dir = Fresh("combined");
    const std::string flh = (dir / "rec.flh").string();
    const std::string txt = (dir / "rec.txt").string();
    const int last_ms = static_cast<int>(seconds * 1000 + 1000);
    if (!WriteAnalogRecord(flh, 60, SamplesFor(seconds)) ||
        !WriteBytes(txt, DiscreteRecordBytes(16, kMostEvents, kMostTimes, last_ms)))
      return Fail(name);
    std::vector<std::string> args = {"combined"};
    args.insert(args.end(), form.begin(), form.end());
    args.insert(args.end(), {flh, txt, (dir / "out.cfg").string()});
    Case(name, args, {flh, txt}, Runs(seconds));
    fs::remove_all(dir);
  }

  // A discrete record damaged by one long line: velk-convert must reject it
  // (exit status 2, "Поврежден" and the line's number) in bounded memory,
  // reading past the line without holding it. The discrete record alone, and
  // combined with a one-second analog record.
  void LongLine(const std::string& name, std::int64_t length, bool name_line, bool combined) {
    if (!Wanted(name)) return;
    const fs::path dir = Fresh("long-line");
    const std::string txt = (dir / "rec.txt").string();
    const std::string flh = (dir / "rec.flh").string();
    const bool written =
        name_line ? WriteRecordWithLongLastName(txt, length) : WriteLineWithoutEnd(txt, length);
    if (!written || (combined && !WriteAnalogRecord(flh, 60, SamplesFor(1)))) return Fail(name);
    std::vector<std::string> argv = {options_.convert, combined ? "combined" : "discrete"};
    if (combined) argv.push_back(flh);
    argv.insert(argv.end(), {txt, (dir / "out.cfg").string()});
    Figures convert;
    bool rejected = true;
    for (int r = 0; r < options_.runs; ++r) {
      Settle();
      const ChildRun run = RunChild(argv);
      convert.Add(run);
      rejected = rejected && run.status == kRejected;
    }
    const std::vector<std::string> inputs =
        combined ? std::vector<std::string>{flh, txt} : std::vector<std::string>{txt};
    std::printf(
        "%-34s %8.2f %9s %8.3f %8.3f %8s %7.1f  %s\n", name.c_str(),
        static_cast<double>(TotalSize(inputs)) / 1e6, "-", convert.Median(), convert.Best(), "-",
        convert.peak_rss_mib,
        rejected ? "rejected as damaged, as it must be" : "velk-convert FAILED: not rejected");
    std::fflush(stdout);
    fs::remove_all(dir);
  }

  // velk-convert started once per record, one record after another, like a
  // script converting a device's archive; cp copies each record's four files.
  void Loop() {
    const std::string name = std::to_string(kLoopRecords) + " analog records of 2 s, type 60";
    if (!Wanted(name)) return;
    const fs::path dir = Fresh("loop");
    std::vector<std::string> records, cfgs;
    for (int i = 0; i < kLoopRecords; ++i) {
      records.push_back((dir / ("rec" + std::to_string(i) + ".flh")).string());
      cfgs.push_back((dir / ("out" + std::to_string(i) + ".cfg")).string());
      if (!WriteAnalogRecord(records.back(), 60, SamplesFor(kLoopSeconds))) return Fail(name);
    }
    Figures convert, copy;
    Settle();
    const auto begin_convert = Now();
    for (std::size_t i = 0; i < records.size(); ++i) {
      const ChildRun run = RunChild({options_.convert, "analog", records[i], cfgs[i]});
      convert.peak_rss_mib = std::max(convert.peak_rss_mib, run.peak_rss_mib);
      if (run.status != 0 && convert.status == 0) convert.status = run.status;
    }
    convert.times.push_back(Seconds(begin_convert));
    const fs::path copy_dir = dir / "copy";
    fs::create_directories(copy_dir);
    Settle();
    const auto begin_copy = Now();
    for (const std::string& cfg : cfgs) {
      std::vector<std::string> cp = {"cp"};
      for (const std::string& f : PairFiles(cfg)) cp.push_back(f);
      cp.push_back(copy_dir.string());
      const ChildRun run = RunChild(cp);
      if (run.status != 0 && copy.status == 0) copy.status = run.status;
    }
    copy.times.push_back(Seconds(begin_copy));
    std::uintmax_t output = 0;
    for (const std::string& cfg : cfgs) output += TotalSize(PairFiles(cfg));
    PrintRow(name, static_cast<double>(TotalSize(records)) / 1e6, static_cast<double>(output) / 1e6,
             convert, copy);
    std::printf("%-34s %.0f records a second\n", "", kLoopRecords / convert.Median());
    fs::remove_all(dir);
  }

  // velk-convert batch over a folder of kLoopRecords two-second type-60
  // analog records and as many discrete records, each pair at a start moment
  // of its own, so that every record is converted alone and every pair
  // combined; at --jobs 1 and 2, each followed by a second run over the same
  // output (all up to date). Next to it, the same conversions with one
  // velk-convert each, one after another. cp copies the output folder.
  void BatchFolder() {
    const std::string name =
        std::to_string(kLoopRecords) + " + " + std::to_string(kLoopRecords) + " records, batch";
    if (!Wanted(name)) return;
    const fs::path dir = Fresh("batch");
    const fs::path in = dir / "in";
    fs::path out, copy_dir;
    fs::create_directories(in);
    std::vector<std::string> records;
    for (int i = 0; i < kLoopRecords; ++i) {
      char stem[16];
      std::snprintf(stem, sizeof stem, "rec%04d", i);
      records.push_back((in / (std::string(stem) + ".flh")).string());
      if (!WriteAnalogRecord(records.back(), 60, SamplesFor(kLoopSeconds), i)) return Fail(name);
      records.push_back((in / (std::string(stem) + ".txt")).string());
      if (!WriteBytes(records.back(), DiscreteRecordBytes(16, 200, 20, 1900, i))) return Fail(name);
    }
    const double input_mb = static_cast<double>(TotalSize(records)) / 1e6;
    double output_mb = 0;
    // Every run writes into a folder of its own: files created right after
    // thousands were removed cost the file system far more (ext4 passes over
    // the inodes it freed last), which would charge one run for the one before.
    int run_number = 0;
    for (const int jobs : {1, 2}) {
      Figures convert, copy, rerun;
      for (int r = 0; r < options_.runs; ++r) {
        const std::string number = std::to_string(++run_number);
        out = dir / ("out" + number);
        copy_dir = dir / ("copy" + number);
        Settle();
        convert.Add(RunChild({options_.convert, "batch", "--jobs", std::to_string(jobs),
                              in.string(), out.string()}));
        Settle();
        rerun.Add(RunChild({options_.convert, "batch", "--jobs", std::to_string(jobs), in.string(),
                            out.string()}));
        Settle();
        copy.Add(RunChild({"cp", "-r", out.string(), copy_dir.string()}));
      }
      output_mb = static_cast<double>(TotalSize(FilesBelow(out))) / 1e6;
      PrintRow(name + " --jobs " + std::to_string(jobs), input_mb, output_mb, convert, copy);
      std::printf("%-34s %.0f records a second; run again, all up to date: %.3f s\n", "",
                  2 * kLoopRecords / convert.Median(), rerun.Median());
    }
    WindowFolder(name, in, dir, input_mb, output_mb);
    // The same conversions, one velk-convert each: analog, discrete, combined.
    const fs::path single = dir / "single";
    fs::create_directories(single);
    Figures convert, copy;
    Settle();
    const auto begin = Now();
    for (std::size_t i = 0; i < records.size(); i += 2) {
      const std::string base = (single / std::to_string(i / 2)).string();
      for (const auto& args :
           {std::vector<std::string>{"analog", records[i], base + "a.cfg"},
            std::vector<std::string>{"discrete", records[i + 1], base + "d.cfg"},
            std::vector<std::string>{"combined", records[i], records[i + 1], base + "u.cfg"}}) {
        std::vector<std::string> argv = {options_.convert};
        argv.insert(argv.end(), args.begin(), args.end());
        const ChildRun run = RunChild(argv);
        convert.peak_rss_mib = std::max(convert.peak_rss_mib, run.peak_rss_mib);
        if (run.status != 0 && convert.status == 0) convert.status = run.status;
      }
    }
    convert.times.push_back(Seconds(begin));
    Settle();
    copy.Add(RunChild({"cp", "-r", single.string(), (dir / "copy-single").string()}));
    PrintRow(name + ", one velk-convert each", input_mb, output_mb, convert, copy);
    std::printf("%-34s %.0f records a second\n", "", 2 * kLoopRecords / convert.Median());
    fs::remove_all(dir);
  }

  // The same folder through the window's «Преобразовать папку…»: its logic
  // runs the batch on a thread of its own, one conversion per core, while the
  // window polls it (here: every 50 ms, as the views do).
  void WindowFolder(const std::string& name, const fs::path& in, const fs::path& dir,
                    double input_mb, double output_mb) {
    Figures convert;
    const unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    for (int r = 0; r < options_.runs; ++r) {
      const fs::path out = dir / ("window" + std::to_string(r));
      Settle();
      FolderConversion run;
      const auto begin = Now();
      run.Start({in.string() + "/", out.string() + "/", false, false}, jobs);
      while (run.Poll().state != FolderConversion::State::kFinished)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      convert.times.push_back(Seconds(begin));
      if (run.result().Count(batch::PairOutcome::kFailed) != 0 && convert.status == 0)
        convert.status = 1;
    }
    std::printf("%-34s %8.2f %9.2f %8.3f %8.3f %8.1f   (in this process, --jobs %u)\n",
                (name + ", window").c_str(), input_mb, output_mb, convert.Median(), convert.Best(),
                output_mb / convert.Median(), jobs);
    std::printf("%-34s %.0f records a second%s\n", "", 2 * kLoopRecords / convert.Median(),
                convert.status != 0 ? "  FAILED: a pair failed" : "");
  }

 private:
  static std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }
  static double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(Now() - since).count();
  }
  // The row name's mark of a form other than the default: ", 2013".
  static std::string Mark(const std::vector<std::string>& form) {
    return form.empty() ? "" : ", " + form[1];
  }
  // Long records run once: one 10-hour conversion writes some 2.4 GB.
  int Runs(std::int64_t seconds) const { return seconds >= 36000 ? 1 : options_.runs; }

  fs::path Fresh(const std::string& name) const {
    const fs::path dir = fs::path(options_.dir) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
  }
  static void Fail(const std::string& name) {
    std::printf("%-34s could not write the record\n", name.c_str());
  }

  Options options_;
};

// The processor's model name.
std::string Processor() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);)
    if (line.starts_with("model name")) return line.substr(line.find(':') + 2);
  return "unknown";
}

// The load averages of the machine over 1, 5 and 15 minutes: other work running
// alongside makes every figure worse.
std::string LoadAverage() {
  std::ifstream loadavg("/proc/loadavg");
  std::string one, five, fifteen;
  loadavg >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// The device and file system that hold path: the longest mount point above it.
std::string FileSystemOf(const fs::path& path) {
  std::ifstream mounts("/proc/mounts");
  const std::string where = fs::weakly_canonical(path).string();
  std::string best, best_point;
  std::string device, point, type, rest;
  while (mounts >> device >> point >> type && std::getline(mounts, rest)) {
    const bool above = where == point || where.starts_with(point == "/" ? point : point + "/");
    if (above && point.size() >= best_point.size()) {
      best_point = point;
      best = device + " (" + type + ", mounted on " + point + ")";
    }
  }
  return best.empty() ? "unknown" : best;
}

int Usage(std::ostream& out, int status) {
  out << "velk-bench [--convert PATH] [--dir FOLDER] [--runs N] [--skip-10h] [--only TEXT]\n"
         "  --convert  the velk-convert to measure (default: the one built beside)\n"
         "  --dir      scratch folder for records and output (default: a new folder\n"
         "             under $TMPDIR or /tmp, removed at the end)\n"
         "  --runs     runs per case, the median and the best reported (default 3;\n"
         "             10-hour records run once, discrete records at least 5 times)\n"
         "  --skip-10h leave out the 10-hour records (some 12 GB of writing)\n"
         "  --only     run only the cases whose name contains TEXT\n";
  return status;
}

}  // namespace
}  // namespace velk::bench

int main(int argc, char** argv) {
  using namespace velk::bench;
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--convert" && has_value) {
      options.convert = argv[++i];
    } else if (arg == "--dir" && has_value) {
      options.dir = argv[++i];
    } else if (arg == "--runs" && has_value) {
      options.runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--skip-10h") {
      options.skip_long = true;
    } else if (arg == "--only" && has_value) {
      options.only = argv[++i];
    } else if (arg == "--help" || arg == "-h") {
      return Usage(std::cout, 0);
    } else {
      return Usage(std::cerr, 64);
    }
  }
  bool own_dir = false;
  if (options.dir.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/velk-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("velk-bench: scratch folder");
      return 1;
    }
    options.dir = pattern;
    own_dir = true;
  }
  std::filesystem::create_directories(options.dir);

  std::printf("processor:    %s\n", Processor().c_str());
  std::printf("scratch:      %s on %s\n", options.dir.c_str(), FileSystemOf(options.dir).c_str());
  std::printf("velk-convert: %s\n", options.convert.c_str());
  std::printf("load average: %s\n", LoadAverage().c_str());
  std::printf("median and best of %d runs (10-hour records: 1 run); 1 MB = 10^6 bytes\n\n",
              options.runs);
  PrintHeading();

  Bench bench(options);
  for (int type : {5, 31, 60}) {
    bench.Analog(type, 60, "1 min");
    bench.Analog(type, 3600, "1 h");
    bench.Analog(type, 3600, "1 h", kRevision2013);
    bench.Analog(type, 36000, "10 h");
  }
  for (int channels : {16, 128, 150}) bench.Discrete(channels);
  bench.Combined(60, "1 min");
  bench.Combined(3600, "1 h");
  bench.Combined(3600, "1 h", kRevision2013);
  bench.LongLine("discrete, 512 MiB line, no line end", 512 * kMiB, false, false);
  bench.LongLine("discrete, 256 MiB last name", 256 * kMiB, true, false);
  bench.LongLine("combined, 256 MiB last name", 256 * kMiB, true, true);
  bench.Loop();
  bench.BatchFolder();
  if (bench.Wanted("picture")) {
    const std::string dir = options.dir + "/picture";
    std::filesystem::create_directories(dir);
    PictureFigures(dir, options.convert, 3600, options.runs);
    ComtradePictureFigures(dir, options.runs);
    std::filesystem::remove_all(dir);
  }
  if (bench.Wanted("reader")) {
    const std::string dir = options.dir + "/reader";
    std::filesystem::create_directories(dir);
    ReaderFigures(dir, options.convert, options.runs);
    std::filesystem::remove_all(dir);
  }

  std::printf("\nload average: %s\n", LoadAverage().c_str());
  if (own_dir) std::filesystem::remove_all(options.dir);
  return 0;
}
