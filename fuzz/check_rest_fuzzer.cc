// Fuzz target: one arbitrary COMTRADE record (laid down as fuzz::PutComtrade
// says) read twice, sample by sample through Next and at once through
// CheckRest, as `velk-convert check` reads it. Both ways must tell the same
// findings in the same order, read the same number of samples, fail alike,
// and give the same first and last times.
#include <algorithm>
#include <optional>
#include <string>

#include "comtrade/record_reader.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

namespace {

struct Reading {
  bool opened = false, failed = false;
  std::int64_t samples = 0;
  std::optional<double> first_us, last_us;
  DiagnosticList list;
};

std::string Describe(const Diagnostic& d) {
  return std::string(SeverityName(d.severity)) + " " + d.code + " " + d.file + ":" +
         std::to_string(d.line) + ":" + std::to_string(d.field) + " " + d.text;
}

std::string TimeText(const std::optional<double>& us) {
  return us ? std::to_string(*us) : std::string("none");
}

void Compare(const Reading& next, const Reading& rest) {
  const auto& a = next.list.all;
  const auto& b = rest.list.all;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string one = i < a.size() ? Describe(a[i]) : "nothing";
    const std::string other = i < b.size() ? Describe(b[i]) : "nothing";
    if (one != other)
      fuzz::Fail("finding " + std::to_string(i + 1) + ": Next tells «" + one + "», CheckRest «" +
                 other + "»");
  }
  if (next.samples != rest.samples)
    fuzz::Fail("Next reads " + std::to_string(next.samples) + " samples, CheckRest " +
               std::to_string(rest.samples));
  if (next.failed != rest.failed) fuzz::Fail("one way fails, the other does not");
  // Times of the same arithmetic are equal to the last bit; a time that is no
  // number is equal to none either way.
  const auto same = [](const std::optional<double>& x, const std::optional<double>& y) {
    return x.has_value() == y.has_value() && (!x || *x == *y || (*x != *x && *y != *y));
  };
  if (!same(next.first_us, rest.first_us) || !same(next.last_us, rest.last_us))
    fuzz::Fail("times: Next " + TimeText(next.first_us) + ".." + TimeText(next.last_us) +
               ", CheckRest " + TimeText(rest.first_us) + ".." + TimeText(rest.last_us));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  std::string_view dat;
  const std::string path = fuzz::PutComtrade(h, data, size, dat);
  if (path.empty()) return 0;

  Reading next;
  {
    RecordReader reader(next.list);
    next.opened = reader.Open(path);
    Sample sample;
    while (next.opened && reader.Next(sample)) {
      if (sample.time_us) {
        if (!next.first_us) next.first_us = sample.time_us;
        next.last_us = sample.time_us;
      }
    }
    next.samples = reader.samples_read();
    next.failed = reader.failed();
  }
  Reading rest;
  {
    RecordReader reader(rest.list);
    rest.opened = reader.Open(path);
    if (rest.opened) reader.CheckRest(rest.first_us, rest.last_us);
    rest.samples = reader.samples_read();
    rest.failed = reader.failed();
  }
  if (next.opened != rest.opened) fuzz::Fail("the record opens once of two times");
  Compare(next, rest);
  return 0;
}
