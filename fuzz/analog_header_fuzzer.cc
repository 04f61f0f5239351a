// Fuzz target: the header check of an analog record (.flh) on arbitrary bytes.
// It must accept exactly the files of whole samples after the 72-byte header,
// and then know the device type's channels.
#include "analog/analog_record.h"
#include "comtrade/file_io.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  const std::string record =
      h.Put("rec.flh", std::string_view(reinterpret_cast<const char*>(data), size));
  const AnalogHeaderCheck check = ReadAnalogHeader(record);

  const bool valid = IsValidFlhSize(static_cast<std::int64_t>(size));
  if (check.outcome.ok() != valid) fuzz::Fail("the check disagrees with the record's size");
  if (valid) {
    const int channels = check.header.AnalogCountANL;
    if (channels < 1 || channels > 8 || DeviceTypeText(check.header).size() > 3)
      fuzz::Fail("device type of a valid record");
  } else if (check.outcome.failure != Failure::kDamaged) {
    fuzz::Fail("a damaged record is not shown damaged");
  }

  // The parser on the open record agrees with the check.
  InFile flh;
  if (!flh.Open(record)) fuzz::Fail("the record cannot be reopened");
  AnalogHeader header;
  if (ParseHeaderANL(flh, header) != valid) fuzz::Fail("the parser disagrees with the check");
  return 0;
}
