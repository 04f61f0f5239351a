// Fuzz target: the analog conversion on arbitrary bytes. A record of whole
// samples converts without a message into a whole, consistent pair; any other
// record is reported damaged and nothing is written.
#include "analog/analog_record.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  const std::string record =
      h.Put("rec.flh", std::string_view(reinterpret_cast<const char*>(data), size));
  const Outcome outcome = ConvertAnalog(record, h.Path("out.cfg"), h.ui);

  if (!IsValidFlhSize(static_cast<std::int64_t>(size))) {
    if (h.ui.messages != std::vector<std::string>{MessageText({Failure::kFileDamaged})} ||
        outcome.failure != Failure::kFileDamaged)
      fuzz::Fail("a damaged record is not reported damaged");
    return 0;
  }
  if (!h.ui.messages.empty() || !outcome.ok()) fuzz::Fail("a sound record gave a message");
  if (const std::string wrong = fuzz::CheckPair(h.Path("out.cfg")); !wrong.empty())
    fuzz::Fail(wrong);
  return 0;
}
