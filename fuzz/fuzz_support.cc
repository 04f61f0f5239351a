#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "comtrade/pair_paths.h"
#include "discrete/status_words.h"

#ifdef __unix__
#include <sys/resource.h>
#endif

namespace velk::fuzz {
namespace {

namespace fs = std::filesystem;

// No file that a conversion of a few kilobytes writes comes near this: a larger
// one means the output exploded, and the operating system stops the target.
constexpr std::uint64_t kFileSizeLimit = 64 << 20;

// The folder where this process lays its inputs down, removed when it ends
// normally (a crash leaves it: scripts/fuzz.sh removes the folder it is in).
class PrivateFolder {
 public:
  PrivateFolder() {
    std::error_code error;
    const fs::path memory = "/dev/shm";
    const char* given = std::getenv("VELK_FUZZ_FOLDER");  // scripts/fuzz.sh gives one per run
    const fs::path base = given != nullptr                  ? fs::path(given)
                          : fs::is_directory(memory, error) ? memory
                                                            : fs::temp_directory_path();
    std::random_device entropy;
    for (int attempt = 0; path_.empty(); ++attempt) {
      if (attempt == 100) Fail("no private folder can be made in " + base.string());
      const fs::path candidate = base / ("velk-fuzz-" + std::to_string(entropy()));
      if (fs::create_directory(candidate, error)) path_ = candidate;
    }
    text_ = path_.string() + "/";
#ifdef __unix__
    const rlimit limit = {kFileSizeLimit, kFileSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
#endif
  }
  ~PrivateFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // Removes what an earlier input left, so that no run depends on another.
  void Empty() const {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(path_, ignored))
      fs::remove_all(entry.path(), ignored);
  }
  const std::string& text() const {
    return text_;
  }

 private:
  fs::path path_;
  std::string text_;
};

const PrivateFolder& Folder() {
  static const PrivateFolder folder;
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lines of a text whose every line ends with CR LF; false when it does not.
bool SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
  lines.clear();
  while (!text.empty()) {
    const auto end = text.find("\r\n");
    if (end == std::string_view::npos) return false;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return true;
}

// Reads a decimal number at the front of text and drops it; false when there is none.
bool TakeNumber(std::string_view& text, std::int64_t& value) {
  std::size_t digits = 0;
  value = 0;
  while (digits < text.size() && digits < 12 && text[digits] >= '0' && text[digits] <= '9')
    value = value * 10 + (text[digits++] - '0');
  text.remove_prefix(digits);
  return digits > 0;
}

bool TakeText(std::string_view& text, std::string_view expected) {
  if (!text.starts_with(expected)) return false;
  text.remove_prefix(expected.size());
  return true;
}

std::int64_t Commas(std::string_view line) {
  return std::count(line.begin(), line.end(), ',');
}

}  // namespace

void SilentReporter::Report(const Outcome& outcome) {
  messages.push_back(MessageText(outcome));
}

Harness::Harness() {
  Folder().Empty();
}

std::string Harness::Put(const std::string& name, std::string_view bytes) const {
  const std::string path = Path(name);
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string Harness::Path(const std::string& name) const {
  return Folder().text() + name;
}

std::pair<std::string_view, std::string_view> SplitTwo(const std::uint8_t* data, std::size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  if (size < 2) return {std::string_view(), std::string_view()};
  const auto stated = static_cast<std::size_t>(data[0] | data[1] << 8);
  const std::size_t first = std::min(stated, size - 2);
  return {all.substr(2, first), all.substr(2 + first)};
}

std::string JoinTwo(std::string_view first, std::string_view second) {
  const std::size_t n = std::min<std::size_t>(first.size(), 0xFFFF);
  std::string joined = {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
  joined.append(first.substr(0, n));
  joined.append(second);
  return joined;
}

std::string PutComtrade(const Harness& h, const std::uint8_t* data, std::size_t size,
                        std::string_view& dat) {
  if (size < 1) return "";
  if ((data[0] & 1) != 0) {
    dat = {reinterpret_cast<const char*>(data + 1), size - 1};
    return h.Put("rec.cff", dat);
  }
  const auto [cfg, data_file] = SplitTwo(data + 1, size - 1);
  dat = data_file;
  h.Put("rec.dat", dat);
  return h.Put("rec.cfg", cfg);
}

std::string CheckPair(const std::string& cfg_path) {
  const PairPaths pair = PairPathsFor(cfg_path);
  const std::string cfg = ReadAll(pair.binary_cfg);
  std::vector<std::string_view> lines;
  if (!SplitLines(cfg, lines)) return "configuration: a line without CR LF";
  for (std::string_view line : lines)
    if (std::any_of(line.begin(), line.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 32; }))
      return "configuration: a control character within a line";
  if (lines.size() < 2) return "configuration: fewer than two lines";
  if (Commas(lines[0]) != 2 || !lines[0].ends_with(",,1999")) return "station line";

  std::string_view counts = lines[1];
  std::int64_t total = 0, analog = 0, digital = 0;
  if (!TakeNumber(counts, total) || !TakeText(counts, ",") || !TakeNumber(counts, analog) ||
      !TakeText(counts, "A,") || !TakeNumber(counts, digital) || counts != "D" ||
      total != analog + digital)
    return "counts line: " + std::string(lines[1]);
  const auto channels = static_cast<std::size_t>(total);
  if (lines.size() != 9 + channels) return "configuration: wrong number of lines";
  for (std::size_t c = 0; c < channels; ++c) {
    const std::string_view line = lines[2 + c];
    const bool is_analog = c < static_cast<std::size_t>(analog);
    if (!line.starts_with(std::to_string(c + 1) + ",") || Commas(line) != (is_analog ? 12 : 4))
      return "channel line: " + std::string(line);
  }
  std::string_view rate = lines[4 + channels];
  std::int64_t records = 0;
  if (lines[2 + channels] != "50.0" || (lines[3 + channels] != "0" && lines[3 + channels] != "1") ||
      !(TakeText(rate, "800.0,") || TakeText(rate, "0,")) || !TakeNumber(rate, records) ||
      !rate.empty() || lines[7 + channels] != "BINARY" ||
      (lines[8 + channels] != "1" && lines[8 + channels] != "1000"))
    return "configuration lines after the channels";

  const std::int64_t words = digital > 0 ? StatusWordCount(digital) : 0;
  const std::int64_t record_size = 8 + 2 * analog + 2 * words;
  const std::string dat = ReadAll(pair.binary_dat);
  if (static_cast<std::int64_t>(dat.size()) != records * record_size)
    return "data file: " + std::to_string(dat.size()) + " bytes for " + std::to_string(records) +
           " records of " + std::to_string(record_size);

  std::string ascii_cfg;
  for (std::string_view line : lines)
    ascii_cfg.append(line == "BINARY" ? "ASCII" : line).append("\r\n");
  ascii_cfg.append("\r\n");
  if (ReadAll(pair.ascii_cfg) != ascii_cfg) return "ASCII configuration differs";

  const std::string ascii_dat = ReadAll(pair.ascii_dat);
  if (!SplitLines(ascii_dat, lines)) return "ASCII data: a line without CR LF";
  if (static_cast<std::int64_t>(lines.size()) != records) return "ASCII data: wrong line count";
  for (std::size_t n = 0; n < lines.size(); ++n)
    if (!lines[n].starts_with(std::to_string(n + 1) + ",") ||
        Commas(lines[n]) != 1 + analog + digital)
      return "ASCII data line " + std::to_string(n + 1);
  return "";
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

void CheckScene(const Scene& scene) {
  const auto finite = [](float v) { return std::isfinite(v); };
  for (const ScenePolyline& line : scene.lines)
    for (const ScenePoint& point : line.points)
      if (!finite(point.x) || !finite(point.y)) Fail("a point of the scene is not a number");
  for (const SceneRect& rect : scene.rects)
    if (!finite(rect.x) || !finite(rect.width) ||
        rect.x + rect.width > static_cast<float>(scene.width) + 1)
      Fail("a rectangle outside the picture");
}

}  // namespace velk::fuzz
