// Fuzz target: the discrete conversion on arbitrary bytes. Either the reader
// reports a damaged start and nothing is written, or the pair is whole and
// consistent and no message is shown.
#include "app/texts.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  h.Put("rec.txt", std::string_view(reinterpret_cast<const char*>(data), size));
  h.Select(h.form.controls.FileListBox2, "rec.txt");
  h.form.paths.OutPathDIS = h.Path("out.cfg");
  h.form.ConvertDIS();

  if (!h.ui.messages.empty()) {
    if (h.ui.messages.size() != 1 || !h.ui.messages[0].starts_with(text::kDamaged.view()))
      fuzz::Fail("messages other than the reader's");
    return 0;
  }
  if (const std::string wrong = fuzz::CheckPair(h.Path("out.cfg")); !wrong.empty())
    fuzz::Fail(wrong);
  return 0;
}
