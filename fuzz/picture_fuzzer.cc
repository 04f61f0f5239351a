// Fuzz target: the picture of an arbitrary pair of records (split as
// fuzz::SplitTwo says), of each record alone and of both, drawn whole, at a
// narrow zoom with the cursor, and written as SVG text. A picture that opens
// has steps in time order and a scene of finite coordinates inside its width.
#include <cmath>

#include "fuzz/fuzz_support.h"
#include "picture/analysis.h"
#include "picture/record_picture.h"
#include "picture/scene.h"
#include "picture/svg.h"

using namespace velk;

namespace {

void Draw(const PictureRecords& records) {
  const PictureOpening opening = RecordPicture::Open(records);
  if (!opening.picture) return;
  const RecordPicture& picture = *opening.picture;
  for (const PictureSignal& signal : picture.discrete_signals())
    for (std::size_t i = 1; i < signal.steps.size(); ++i)
      if (signal.steps[i].time_ms < signal.steps[i - 1].time_ms) fuzz::Fail("steps out of order");
  PictureView view = WholeView(picture, 640, NaturalHeight(picture));
  fuzz::CheckScene(DrawPicture(picture, view));
  view.to_ms = view.from_ms + 20;
  view.cursor_ms = 7.5;
  const Scene narrow = DrawPicture(picture, view);
  fuzz::CheckScene(narrow);
  if (SvgText(narrow).empty()) fuzz::Fail("no SVG text");
  // The fault's readout at two cursors, the start (no whole cycle) included.
  const TwoCursors two = AnalyseBetween(picture, 0, 30, false);
  for (const auto& phasors : two.b.phasors)
    if (phasors && !std::isfinite(phasors->phasor.magnitude)) fuzz::Fail("a phasor is no number");
  if (two.a.readout.states.size() != picture.discrete_signals().size())
    fuzz::Fail("a signal without a state");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto [analog, discrete] = fuzz::SplitTwo(data, size);
  fuzz::Harness h;
  const std::string flh = h.Put("rec.flh", analog), txt = h.Put("rec.txt", discrete);
  Draw({flh, ""});
  Draw({"", txt});
  Draw({flh, txt});
  return 0;
}
