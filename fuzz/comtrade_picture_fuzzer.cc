// Fuzz target: the picture of an arbitrary COMTRADE record (laid down as
// fuzz::PutComtrade says), as the viewer opens it. A picture that opens has
// signal steps in time order (a first one wherever the record has samples),
// a scene of finite coordinates inside its width whole, zoomed and in primary
// values, and finite phasors; its samples read back as the reader gives them,
// in one read or in pieces from any sample, and the min/max of a span is that
// of its samples.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "comtrade/record_reader.h"
#include "fuzz/fuzz_support.h"
#include "picture/analysis.h"
#include "picture/comtrade_source.h"
#include "picture/record_picture.h"
#include "picture/scene.h"
#include "picture/svg.h"

using namespace velk;

namespace {

// Equal values, a missing one (NaN) equal to another missing one.
bool Same(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](double x, double y) {
           return x == y || (std::isnan(x) && std::isnan(y));
         });
}

// The recorded values of the first `samples` samples as the reader gives them.
std::vector<double> ReaderValues(const std::string& path, std::int64_t samples) {
  DiagnosticList quiet;
  RecordReader reader(quiet);
  std::vector<double> values;
  if (!reader.Open(path)) fuzz::Fail("the reader refuses a record the picture opened");
  Sample sample;
  for (std::int64_t n = 0; n < samples; ++n) {
    if (!reader.Next(sample)) fuzz::Fail("the picture holds more samples than the reader gives");
    for (std::size_t c = 0; c < sample.analog.size(); ++c)
      values.push_back(sample.analog_missing[c] ? std::nan("") : sample.analog[c]);
  }
  return values;
}

void CheckSamples(const RecordPicture& picture, const std::string& path) {
  const std::int64_t samples = picture.sample_count();
  const std::size_t channels = picture.channels().size();
  std::vector<double> whole, piece;
  if (!picture.ReadSamples(0, samples, whole)) fuzz::Fail("the record's samples do not read");
  if (whole.size() != static_cast<std::size_t>(samples) * channels)
    fuzz::Fail("a read without one value per channel");
  if (!Same(whole, ReaderValues(path, samples))) fuzz::Fail("samples differ from the reader's");
  // Pieces of 7 samples from the third on, as a zoomed view reads them.
  std::vector<double> pieces(
      whole.begin(),
      whole.begin() + std::min<std::int64_t>(samples, 2) * static_cast<std::ptrdiff_t>(channels));
  for (std::int64_t first = 2; first < samples; first += 7) {
    if (!picture.ReadSamples(first, std::min<std::int64_t>(7, samples - first), piece))
      fuzz::Fail("a piece of the samples does not read");
    pieces.insert(pieces.end(), piece.begin(), piece.end());
  }
  if (!Same(whole, pieces)) fuzz::Fail("samples read in pieces differ from one read");
  // The min/max of two spans, each that of its samples.
  const std::int64_t bounds[] = {0, samples / 3, samples};
  std::vector<MinMax> spans;
  if (!picture.SpanMinMax(bounds, spans) || spans.size() != 2 * channels)
    fuzz::Fail("the spans' min/max do not read");
  for (std::size_t s = 0; s < 2; ++s)
    for (std::size_t c = 0; c < channels; ++c) {
      MinMax expected;
      for (auto n = bounds[s]; n < bounds[s + 1]; ++n)
        expected.Add(whole[static_cast<std::size_t>(n) * channels + c]);
      const MinMax& got = spans[s * channels + c];
      if (expected.Empty() != got.Empty() ||
          (!got.Empty() && (got.min != expected.min || got.max != expected.max)))
        fuzz::Fail("a span's min/max is not that of its samples");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  std::string_view dat;
  const std::string path = fuzz::PutComtrade(h, data, size, dat);
  if (path.empty()) return 0;
  const ComtradePicture opened = OpenComtradePicture(path);
  if (!opened.picture) {
    if (opened.error.severity != Severity::kError) fuzz::Fail("a record refused without an error");
    return 0;
  }
  const RecordPicture& picture = *opened.picture;
  for (const PictureSignal& signal : picture.discrete_signals()) {
    // A record without samples gives its signals no state at all.
    if (signal.steps.empty() && picture.source().layout().samples > 0)
      fuzz::Fail("a signal without steps");
    for (std::size_t i = 1; i < signal.steps.size(); ++i)
      if (signal.steps[i].time_ms < signal.steps[i - 1].time_ms) fuzz::Fail("steps out of order");
  }
  CheckSamples(picture, path);
  PictureView view = WholeView(picture, 640, NaturalHeight(picture));
  fuzz::CheckScene(DrawPicture(picture, view));
  view.to_ms = view.from_ms + 20;
  view.cursor_ms = view.from_ms + 7.5;
  view.primary = true;
  const Scene narrow = DrawPicture(picture, view);
  fuzz::CheckScene(narrow);
  if (SvgText(narrow).empty()) fuzz::Fail("no SVG text");
  const TwoCursors two = AnalyseBetween(picture, 0, 30, false);
  for (const auto& phasors : two.b.phasors)
    if (phasors && !std::isfinite(phasors->phasor.magnitude)) fuzz::Fail("a phasor is no number");
  if (two.a.readout.states.size() != picture.discrete_signals().size())
    fuzz::Fail("a signal without a state");
  return 0;
}
