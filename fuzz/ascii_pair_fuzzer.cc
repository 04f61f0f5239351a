// Fuzz target: the ASCII pair derived from an arbitrary BINARY pair. The first
// byte gives the analog channels of a record (0 to 8), the rest is the BINARY
// configuration file and the data file, split as fuzz::SplitTwo says. Whatever
// line 2 claims (a digital count that is no number, or a huge one), the
// derivation ends, prints no record the data file cannot hold whole, and gives
// each record its number and one field per channel.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "analog/sample_ops.h"
#include "comtrade/ascii_pair.h"
#include "comtrade/pair_paths.h"
#include "discrete/status_words.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int analog = data[0] % 9;
  const auto [cfg, dat] = fuzz::SplitTwo(data + 1, size - 1);
  fuzz::Harness h;
  h.Put("out.cfg", cfg);
  h.Put("out.dat", dat);
  const PairPaths pair = PairPathsFor(h.Path("out.cfg"));

  std::string counts;
  if (!MakeAsciiConfig(h.ui, pair, &counts)) fuzz::Fail("the ASCII configuration failed");
  const std::int64_t digital = ReadDigitalCount(counts);
  const std::int64_t record_size = 8 + 2 * analog + 2 * StatusWordCount(digital);
  const bool made = MakeAsciiData(
      h.ui, pair, record_size, [digital, analog](const unsigned char* rest, OutFile& ascii) {
        const auto values = static_cast<std::size_t>(analog);
        ascii.Commit(WriteValuesANL(rest, ascii.Room(values * kValueFieldRoom), values));
        WriteBitsASCII(rest + 2 * analog, ascii, digital);
      });
  if (!made || !h.ui.messages.empty()) fuzz::Fail("the ASCII data failed");

  std::ifstream in(pair.ascii_dat, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto lines = std::count(text.begin(), text.end(), '\n');
  if (lines > static_cast<std::int64_t>(dat.size()) / record_size)
    fuzz::Fail("more ASCII records than the data file holds");
  if (lines > 0 && std::count(text.begin(), text.end(), ',') != lines * (1 + analog + digital))
    fuzz::Fail("an ASCII record without one field per channel");
  return 0;
}
