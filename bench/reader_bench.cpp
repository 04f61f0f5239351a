#include "bench/reader_bench.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <unistd.h>

#include "bench/child.h"
#include "bench/records.h"
#include "comtrade/file_io.h"
#include "comtrade/record_reader.h"

namespace velk::bench {
namespace {

struct Timed {
  std::vector<double> seconds;
  double peak_mib = 0;
  int status = 0;
  double Median() const {
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
  }
};

Timed Time(const std::vector<std::string>& argv, int runs) {
  Timed timed;
  for (int r = 0; r < runs; ++r) {
    sync();
    const ChildRun run = RunChild(argv);
    timed.seconds.push_back(run.seconds);
    timed.peak_mib = std::max(timed.peak_mib, run.peak_rss_mib);
    if (run.status != 0 && timed.status == 0) timed.status = run.status;
  }
  return timed;
}

double Mb(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<double>(size) / 1e6;
}

void PrintCheck(const char* name, const std::vector<std::string>& files, const Timed& check,
                const Timed& read) {
  double mb = 0;
  for (const std::string& f : files) mb += Mb(f);
  std::printf("| %s | %.1f | %.3f | %.3f | %.2f | %.1f | %d |\n", name, mb, check.Median(),
              read.Median(), read.Median() > 0 ? check.Median() / read.Median() : 0, check.peak_mib,
              check.status);
}

// The median of runs of what, in milliseconds.
template <typename What>
double MedianMs(int runs, What&& what) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    what();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The reading alone, in this process and from the page cache: the files read
// once in the reader's blocks, the record read sample by sample (as `check`
// read it before), and the whole check of the record in place.
void PrintInProcess(const char* name, const std::string& cfg, const std::string& dat, int runs) {
  auto read_once = [&] {
    for (const std::string& path : {cfg, dat}) {
      InFile file;
      if (!file.Open(path)) return;
      std::vector<char> block(kReadBlockSize);
      while (file.Read(block.data(), block.size()) == block.size()) {
      }
    }
  };
  read_once();
  const double read_ms = MedianMs(runs, read_once);
  const double next_ms = MedianMs(runs, [&] {
    DiagnosticList list;
    RecordReader reader(list);
    if (!reader.Open(cfg)) return;
    Sample sample;
    while (reader.Next(sample)) {
    }
  });
  const double check_ms = MedianMs(runs, [&] {
    DiagnosticList list;
    RecordReader reader(list);
    if (!reader.Open(cfg)) return;
    std::optional<double> first, last;
    reader.CheckRest(first, last);
  });
  std::printf("| %s | %.1f | %.1f | %.2f | %.1f | %.2f |\n", name, read_ms, next_ms,
              next_ms / read_ms, check_ms, check_ms / read_ms);
}

}  // namespace

bool WriteWideRecord(const std::string& cfg_path, const std::string& dat_path) {
  constexpr int kAnalog = 64;
  constexpr std::int64_t kSamples = 4000 * 600;
  OutFile cfg;
  if (!cfg.Create(cfg_path)) return false;
  cfg.Line("Substation,Recorder 64,1999");
  cfg.Line("80,64A,16D");
  for (int k = 1; k <= kAnalog; ++k)
    cfg.Line(std::to_string(k) + ",U" + std::to_string(k) +
             ",A,Bay,kV,0.01,0,0,-32767,32767,110,0.1,P");
  for (int k = 1; k <= 16; ++k)
    cfg.Line(std::to_string(k) + ",Input " + std::to_string(k) + ",,,0");
  cfg.Line("50");
  cfg.Line("1");
  cfg.Line("4000," + std::to_string(kSamples));
  cfg.Line("13/02/2024,16:33:45.000000");
  cfg.Line("13/02/2024,16:33:46.000000");
  cfg.Line("BINARY");
  cfg.Line("1");
  if (!cfg.Close()) return false;
  OutFile dat;
  if (!dat.Create(dat_path)) return false;
  for (std::int64_t n = 1; n <= kSamples; ++n) {
    dat.I32(static_cast<std::int32_t>(n));
    dat.I32(static_cast<std::int32_t>((n - 1) * 250));
    for (int k = 0; k < kAnalog; ++k)
      dat.U16(static_cast<std::uint16_t>(
          static_cast<std::int16_t>(20000 * std::sin(0.0785 * static_cast<double>(n) + k))));
    dat.U16(static_cast<std::uint16_t>(n / 4000));
  }
  return dat.Close();
}

void ReaderFigures(const std::string& dir, const std::string& convert, int runs) {
  const std::string record = dir + "/hour.flh";
  const std::string cfg = dir + "/hour.cfg", dat = dir + "/hour.dat";
  const std::string ascii_cfg = dir + "/hourASCII.cfg", ascii_dat = dir + "/hourASCII.dat";
  if (!WriteAnalogRecord(record, 60, SamplesFor(3600)) ||
      RunChild({convert, "analog", record, cfg}).status != 0) {
    std::printf("reader: the 1-hour pair could not be made\n");
    return;
  }
  const std::string wide_cfg = dir + "/wide.cfg", wide_dat = dir + "/wide.dat";
  if (!WriteWideRecord(wide_cfg, wide_dat)) {
    std::printf("reader: the 64-channel record could not be written\n");
    return;
  }
  std::printf(
      "\n| check of | MB | check s | one read (cat) s | ratio | check peak MiB | exit |\n"
      "|---|---|---|---|---|---|---|\n");
  PrintCheck("1 h pair, type 60, BINARY", {cfg, dat}, Time({convert, "check", cfg}, runs),
             Time({"cat", cfg, dat}, runs));
  PrintCheck("1 h pair, type 60, ASCII", {ascii_cfg, ascii_dat},
             Time({convert, "check", ascii_cfg}, runs), Time({"cat", ascii_cfg, ascii_dat}, runs));
  PrintCheck("64 A + 16 D, 4 kHz, 10 min, BINARY", {wide_cfg, wide_dat},
             Time({convert, "check", wide_cfg}, runs), Time({"cat", wide_cfg, wide_dat}, runs));

  std::printf(
      "\n| read in this process, from the page cache | read once ms | sample by sample ms | "
      "ratio | whole check ms | ratio |\n|---|---|---|---|---|---|\n");
  PrintInProcess("1 h pair, type 60, BINARY", cfg, dat, std::max(runs, 5));
  PrintInProcess("1 h pair, type 60, ASCII", ascii_cfg, ascii_dat, std::max(runs, 5));
  PrintInProcess("64 A + 16 D, 4 kHz, 10 min, BINARY", wide_cfg, wide_dat, std::max(runs, 5));

  const std::string csv = dir + "/hour.csv";
  const Timed table = Time({convert, "csv", cfg, csv}, runs);
  const Timed copy = Time({"cp", csv, dir + "/copy.csv"}, runs);
  const Timed flh = Time({convert, "csv", record, dir + "/flh.csv"}, runs);
  const double mb = Mb(csv);
  std::printf(
      "\n| csv of | CSV MB | csv s | MB/s | cp of the CSV s | cp MB/s | csv peak MiB | exit |\n"
      "|---|---|---|---|---|---|---|---|\n");
  std::printf("| 1 h pair, type 60 | %.1f | %.3f | %.0f | %.3f | %.0f | %.1f | %d |\n", mb,
              table.Median(), mb / table.Median(), copy.Median(), mb / copy.Median(),
              table.peak_mib, table.status);
  std::printf("| 1 h record hour.flh (converted first) | %.1f | %.3f | %.0f | | | %.1f | %d |\n",
              Mb(dir + "/flh.csv"), flh.Median(), Mb(dir + "/flh.csv") / flh.Median(), flh.peak_mib,
              flh.status);
}

}  // namespace velk::bench
