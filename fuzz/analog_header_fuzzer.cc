// Fuzz target: the header check of an analog record (.flh) on arbitrary bytes.
// It must accept exactly the files of whole samples after the 72-byte header,
// and then know the device type's channels.
#include "analog/flh_header.h"
#include "app/texts.h"
#include "comtrade/file_io.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  h.Put("rec.flh", std::string_view(reinterpret_cast<const char*>(data), size));
  h.Select(h.form.controls.FileListBox1, "rec.flh");
  h.form.ReadHeaderANL();

  const WindowControls& shown = h.form.controls;
  const bool valid = IsValidFlhSize(static_cast<std::int64_t>(size));
  if (shown.ConvertANLButton != valid) fuzz::Fail("the check disagrees with the record's size");
  if (valid) {
    const int channels = h.form.analog.AnalogCountANL;
    if (channels < 1 || channels > 8 || shown.TipLabel.size() > 3)
      fuzz::Fail("device type of a valid record");
  } else if (shown.DateLabel != text::kDamaged.view() || !shown.NameLabel.empty()) {
    fuzz::Fail("labels of a damaged record");
  }

  // The parser on the open record agrees with the check.
  InFile flh;
  if (!flh.Open(h.Path("rec.flh"))) fuzz::Fail("the record cannot be reopened");
  if ((h.form.ParseHeaderANL(flh) == 0) != valid) fuzz::Fail("the parser disagrees with the check");
  return 0;
}
