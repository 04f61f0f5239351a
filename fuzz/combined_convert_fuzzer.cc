// Fuzz target: the combined conversion on an arbitrary pair of records (an
// analog and a discrete record, split as fuzz::SplitTwo says). Either one of
// the records is reported damaged, or the pair is whole and consistent and no
// message is shown.
#include "analog/flh_header.h"
#include "combined/combined.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto [analog, discrete] = fuzz::SplitTwo(data, size);
  fuzz::Harness h;
  ConvertCombined(h.Put("rec.flh", analog), h.Put("rec.txt", discrete), h.Path("out.cfg"),
                  h.Path("tmp.tmp"), h.ui);

  const bool analog_sound = IsValidFlhSize(static_cast<std::int64_t>(analog.size()));
  if (!h.ui.messages.empty()) {
    const std::string& message = h.ui.messages[0];
    const bool expected = analog_sound ? message.starts_with(MessageText({Failure::kDamaged}))
                                       : message == MessageText({Failure::kFileDamaged});
    if (h.ui.messages.size() != 1 || !expected) fuzz::Fail("messages other than the records'");
    return 0;
  }
  if (!analog_sound) fuzz::Fail("a damaged analog record converted");
  if (const std::string wrong = fuzz::CheckPair(h.Path("out.cfg")); !wrong.empty())
    fuzz::Fail(wrong);
  return 0;
}
