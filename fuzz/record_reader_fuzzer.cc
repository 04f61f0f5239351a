// Fuzz target: the COMTRADE reader over an arbitrary record, laid down as
// fuzz::PutComtrade says: a .cfg and its .dat, or one .cff. Whatever the
// files hold, the reader ends, gives every sample one value per channel of the
// configuration and states of 0 or 1, never reads more samples than the data's
// bytes can hold, and tells whenever the count it read differs from the count
// the configuration announces.
#include <algorithm>

#include "comtrade/record_reader.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  std::string_view dat;
  const std::string path = fuzz::PutComtrade(h, data, size, dat);
  if (path.empty()) return 0;
  DiagnosticList list;
  RecordReader reader(list);
  if (!reader.Open(path)) {
    if (!reader.failed()) fuzz::Fail("a record refused without an error");
    return 0;
  }
  const Configuration& c = reader.configuration();
  const std::size_t analog = c.analog.size(), digital = c.digital.size();
  if (static_cast<std::int64_t>(analog + digital) > kMaxChannels) fuzz::Fail("too many channels");
  const std::size_t record_size =
      8 + (c.file_type == DataFileType::kBinary ? 2 : 4) * analog + 2 * ((digital + 15) / 16);
  const auto lines = static_cast<std::size_t>(std::count(dat.begin(), dat.end(), '\n')) + 1;
  const std::size_t most = c.file_type == DataFileType::kAscii ? lines : dat.size() / record_size;
  Sample sample;
  std::int64_t samples = 0;
  while (reader.Next(sample)) {
    ++samples;
    if (sample.analog.size() != analog || sample.analog_missing.size() != analog ||
        sample.digital.size() != digital)
      fuzz::Fail("a sample without one value per channel");
    for (std::uint8_t state : sample.digital)
      if (state > 1) fuzz::Fail("a state other than 0 or 1");
    if (static_cast<std::size_t>(samples) > most) fuzz::Fail("more samples than the data holds");
  }
  if (samples != reader.samples_read()) fuzz::Fail("the count read is not the samples given");
  if (!reader.failed()) {
    if (samples < reader.announced_samples() && !list.Has("dat-shorter"))
      fuzz::Fail("fewer samples than announced, untold");
    if (samples > reader.announced_samples() && !list.Has("dat-longer"))
      fuzz::Fail("more samples than announced, untold");
  }
  return 0;
}
