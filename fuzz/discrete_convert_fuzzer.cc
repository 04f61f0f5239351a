// Fuzz target: the discrete conversion on arbitrary bytes. Either the reader
// reports a damaged start and nothing is written, or the pair is whole and
// consistent and no message is shown.
#include "discrete/discrete_record.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  const std::string record =
      h.Put("rec.txt", std::string_view(reinterpret_cast<const char*>(data), size));
  StartMoment moment;
  moment.year = "2026";
  ConvertDiscrete(record, h.Path("out.cfg"), moment, h.ui);

  if (!h.ui.messages.empty()) {
    if (h.ui.messages.size() != 1 ||
        !h.ui.messages[0].starts_with(MessageText({Failure::kDamaged})))
      fuzz::Fail("messages other than the reader's");
    return 0;
  }
  if (const std::string wrong = fuzz::CheckPair(h.Path("out.cfg")); !wrong.empty())
    fuzz::Fail(wrong);
  return 0;
}
