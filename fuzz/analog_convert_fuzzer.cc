// Fuzz target: the analog conversion on arbitrary bytes. A record of whole
// samples converts without a message into a whole, consistent pair; any other
// record is reported damaged and nothing is written.
#include "analog/flh_header.h"
#include "app/texts.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  h.Put("rec.flh", std::string_view(reinterpret_cast<const char*>(data), size));
  h.Select(h.form.controls.FileListBox1, "rec.flh");
  h.form.paths.OutPathANL = h.Path("out.cfg");
  h.form.ConvertANL();

  if (!IsValidFlhSize(static_cast<std::int64_t>(size))) {
    if (h.ui.messages != std::vector<std::string>{std::string(text::kFileDamaged)})
      fuzz::Fail("a damaged record is not reported damaged");
    return 0;
  }
  if (!h.ui.messages.empty()) fuzz::Fail("a sound record gave a message");
  if (const std::string wrong = fuzz::CheckPair(h.Path("out.cfg")); !wrong.empty())
    fuzz::Fail(wrong);
  return 0;
}
