#include "app/record_viewer.h"

#include <algorithm>
#include <cmath>

#include "app/texts.h"
#include "comtrade/cp1251.h"
#include "comtrade/text_encodings.h"
#include "picture/comtrade_source.h"
#include "picture/readout_scene.h"
#include "platform/platform.h"

namespace velk {
namespace {

// Each notch of the wheel shows this part of the span less (or more).
constexpr double kZoomPerNotch = 0.8;
// A drag shorter than this is a click.
constexpr double kClickSlack = 3;
// Each notch of Ctrl+wheel draws a band's values this much larger, within
// these bounds of its natural scale.
constexpr double kGainPerNotch = 1.25, kLeastGain = 1.0 / 8, kGreatestGain = 64;
// Bands scrolled by a notch of the wheel over the names.
constexpr int kBandsPerNotch = 3;
// Two times this close are one: an event under cursor A.
constexpr double kSameTimeMs = 1e-6;

}  // namespace

RecordViewer::RecordViewer(std::unique_ptr<RecordPicture> picture)
    : picture_(std::move(picture)), view_(WholeView(*picture_, 1000, 600)) {
  view_.cursor_ms = 0.0;
  // The files whose change the viewer looks for: our records, or a COMTRADE
  // record's configuration and data (a .dat of either letter case).
  std::vector<std::string> paths;
  for (const std::string* path : {&picture_->records().analog, &picture_->records().discrete})
    if (!path->empty()) paths.push_back(*path);
  if (const auto* comtrade = dynamic_cast<const ComtradeSource*>(&picture_->source())) {
    const std::string& path = comtrade->path();
    paths.push_back(path);
    if (path.size() > 4 &&
        (path.ends_with(".cfg") || path.ends_with(".CFG") || path.ends_with(".Cfg"))) {
      const std::string stem = path.substr(0, path.size() - 4);
      paths.push_back(stem + ".dat");
      paths.push_back(stem + ".DAT");
    }
  }
  for (std::string& path : paths) {
    FileStamp stamp = StampOf(path);
    watched_.push_back({std::move(path), std::move(stamp)});
  }
  MakeEvents();
}

std::string RecordViewer::Names() const {
  std::vector<std::string> paths;
  for (const std::string* path : {&picture_->records().analog, &picture_->records().discrete})
    if (!path->empty()) paths.push_back(*path);
  if (const auto* comtrade = dynamic_cast<const ComtradeSource*>(&picture_->source()))
    paths.push_back(comtrade->path());
  std::string names;
  for (const std::string& path : paths) {
    if (!names.empty()) names += " + ";
    names += ToUtf8(NameOf(path), TextEncoding::kUtf8);  // bytes of no character shown as such
  }
  return names;
}

std::string RecordViewer::Title() const {
  return Cp1251ToUtf8(text::kViewerTitle) + Names();
}

void RecordViewer::Resize(int width, int height) {
  view_.width = std::max(width, 1);
  view_.height = std::max(height, 1);
}

// Shows from_ms..to_ms, kept within the record and no narrower than NarrowestMs().
void RecordViewer::ShowSpan(double from_ms, double to_ms) {
  const PictureView whole = WholeView(*picture_, view_.width, view_.height);
  const double longest = whole.to_ms - whole.from_ms;
  double span = std::clamp(to_ms - from_ms, std::min(NarrowestMs(), longest), longest);
  from_ms = std::clamp(from_ms, whole.from_ms, whole.to_ms - span);
  view_.from_ms = from_ms;
  view_.to_ms = from_ms + span;
}

void RecordViewer::Wheel(double x, double notches) {
  if (x < PlotLeft(view_)) {
    ScrollBands(static_cast<int>(std::lround(-notches * kBandsPerNotch)));
    return;
  }
  const double anchor = TimeAtX(view_, x);
  const double span = view_.to_ms - view_.from_ms;
  // The span the notches ask for, as ShowSpan keeps it: at the narrowest (or
  // the widest) span a further notch changes nothing, not even where the
  // view lies.
  const PictureView whole = WholeView(*picture_, view_.width, view_.height);
  const double longest = whole.to_ms - whole.from_ms;
  const double wanted = std::clamp(span * std::pow(kZoomPerNotch, notches),
                                   std::min(NarrowestMs(), longest), longest);
  if (!(span > 0) || std::abs(wanted - span) <= span * 1e-12) return;
  const double factor = wanted / span;
  ShowSpan(anchor - (anchor - view_.from_ms) * factor, anchor + (view_.to_ms - anchor) * factor);
}

void RecordViewer::Press(double x, double y, PointerButton button, bool shift) {
  press_b_ = button == PointerButton::kRight || shift;
  pressed_ = true;
  dragged_ = false;
  press_x_ = x;
  press_y_ = y;
  press_from_ = view_.from_ms;
  press_to_ = view_.to_ms;
}

void RecordViewer::DragTo(double x) {
  if (!pressed_) return;
  if (std::abs(x - press_x_) > kClickSlack) dragged_ = true;
  if (!dragged_) return;
  const double per_pixel = (press_to_ - press_from_) / (PlotRight(view_) - PlotLeft(view_));
  const double shift = (press_x_ - x) * per_pixel;
  ShowSpan(press_from_ + shift, press_to_ + shift);
}

double RecordViewer::Snapped(double time_ms) const {
  if (picture_->sample_count() == 0) return time_ms;
  return TimeOfSample(*picture_, SampleAt(*picture_, time_ms));
}

void RecordViewer::Release(double x) {
  if (!pressed_) return;
  DragTo(x);
  pressed_ = false;
  if (dragged_ || x < PlotLeft(view_) || x > PlotRight(view_)) return;
  const double at = Snapped(std::clamp(TimeAtX(view_, x), 0.0, picture_->DurationMs()));
  if (press_b_)
    view_.cursor_b_ms = at;
  else
    view_.cursor_ms = at;
}

void RecordViewer::Key(ViewerKey key, bool shift) {
  switch (key) {
    case ViewerKey::kHome:
      ShowSpan(0, picture_->DurationMs() + 1e9);
      break;
    case ViewerKey::kLeft:
      MoveCursor(-1, shift);
      break;
    case ViewerKey::kRight:
      MoveCursor(1, shift);
      break;
    case ViewerKey::kPreviousChange:
      PutCursorA(NextChangeTime(view_.cursor_ms.value_or(view_.from_ms), -1));
      break;
    case ViewerKey::kNextChange:
      PutCursorA(NextChangeTime(view_.cursor_ms.value_or(view_.from_ms), 1));
      break;
    case ViewerKey::kPageUp:
    case ViewerKey::kPageDown: {
      // A page keeps one band of the last one in view.
      const int page = std::max(1, band_scroll().fitting - 1);
      ScrollBands(key == ViewerKey::kPageUp ? -page : page);
      break;
    }
  }
}

BandScroll RecordViewer::band_scroll() const {
  return ScrollOfBands(*picture_, view_);
}

void RecordViewer::ScrollBands(int bands) {
  ScrollBandsTo(band_scroll().first + bands);
}

void RecordViewer::ScrollBandsTo(int first) {
  view_.first_band = std::clamp(first, 0, band_scroll().last_first);
}

void RecordViewer::PutCursorA(double at) {
  view_.cursor_ms = at;
  const double span = view_.to_ms - view_.from_ms;
  if (at < view_.from_ms) ShowSpan(at - span / 10, at - span / 10 + span);
  if (at > view_.to_ms) ShowSpan(at + span / 10 - span, at + span / 10);
}

// Moves cursor A by steps samples, or by steps cycles of the line frequency
// at the sample's rate; a discrete record alone by steps of its state
// changes. The view follows a cursor that leaves it.
void RecordViewer::MoveCursor(int steps, bool cycles) {
  double at = view_.cursor_ms.value_or(view_.from_ms);
  if (picture_->sample_count() > 0) {
    const std::int64_t sample = SampleAt(*picture_, at);
    std::int64_t by = 1;
    if (cycles) {
      // Without a line frequency a cycle is taken as 20 ms of samples.
      const SourceTiming& timing = picture_->timing();
      by = timing.CycleSamples(sample).value_or(
          std::max<std::int64_t>(1, std::llround(20.0 / std::max(timing.StepMs(sample), 1e-9))));
    }
    const std::int64_t moved =
        std::clamp<std::int64_t>(sample + steps * by, 0, picture_->sample_count() - 1);
    at = TimeOfSample(*picture_, moved);
  } else {
    at = NextChangeTime(at, cycles ? steps * 10 : steps);
  }
  PutCursorA(at);
}

// The time of the state change steps changes away from at (any signal's),
// or the record's start or end when there is none so far.
double RecordViewer::NextChangeTime(double at, int steps) const {
  std::vector<double> times{0.0, picture_->DurationMs()};
  for (const PictureSignal& signal : picture_->discrete_signals())
    for (const SignalStep& step : signal.steps) times.push_back(step.time_ms);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  std::ptrdiff_t index =
      steps > 0 ? (std::upper_bound(times.begin(), times.end(), at) - times.begin()) + steps - 1
                : (std::lower_bound(times.begin(), times.end(), at) - times.begin()) + steps;
  index = std::clamp<std::ptrdiff_t>(index, 0, static_cast<std::ptrdiff_t>(times.size()) - 1);
  return times[static_cast<std::size_t>(index)];
}

void RecordViewer::SetScale(float scale) {
  view_.scale = scale > 0 ? scale : 1.0f;
}

void RecordViewer::SetPrimary(bool primary) {
  view_.primary = primary;
}

Scene RecordViewer::Draw() const {
  return DrawPicture(*picture_, view_);
}

// Eight samples at the record's fastest rate; ten milliseconds for a
// discrete record alone.
double RecordViewer::NarrowestMs() const {
  double step = 0;
  for (const RateSegment& segment : picture_->timing().segments())
    if (segment.rate_hz > 0 && std::isfinite(segment.rate_hz))
      step = step > 0 ? std::min(step, 1000.0 / segment.rate_hz) : 1000.0 / segment.rate_hz;
  if (!(step > 0) && picture_->sample_count() > 1)
    step = picture_->DurationMs() / static_cast<double>(picture_->sample_count() - 1);
  return step > 0 ? 8 * step : 10.0;
}

void RecordViewer::EnlargeBand(double y, double notches) {
  const BandUnder band = BandAt(y);
  if (band.kind != BandUnder::Kind::kChannel) return;
  const auto channel = static_cast<std::size_t>(band.index);
  view_.band_gains.resize(picture_->channels().size(), 1.0);
  double& gain = view_.band_gains[channel];
  gain = std::clamp(gain * std::pow(kGainPerNotch, notches), kLeastGain, kGreatestGain);
}

void RecordViewer::SetClockTime(bool clock) {
  view_.clock_time = clock;
  MakeEvents();
}
bool RecordViewer::clock_time() const {
  return view_.clock_time;
}
void RecordViewer::SetFitToView(bool fit) {
  view_.fit_to_view = fit;
}
bool RecordViewer::fit_to_view() const {
  return view_.fit_to_view;
}
void RecordViewer::SetPhasorPane(bool shown) {
  phasor_pane_ = shown;
}
bool RecordViewer::phasor_pane() const {
  return phasor_pane_;
}

BandUnder RecordViewer::BandAt(double y) const {
  const BandHit hit = BandAtY(*picture_, view_, y);
  if (hit.index < 0) return {};
  return {hit.signal ? BandUnder::Kind::kSignal : BandUnder::Kind::kChannel, hit.index};
}

namespace {

// Sets hidden[index] to !shown, growing hidden to count entries; an index
// outside the count changes nothing.
void SetHidden(std::vector<bool>& hidden, std::size_t count, int index, bool shown) {
  if (index < 0 || static_cast<std::size_t>(index) >= count) return;
  hidden.resize(count, false);
  hidden[static_cast<std::size_t>(index)] = !shown;
}

bool Shown(const std::vector<bool>& hidden, std::size_t count, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= count) return false;
  return static_cast<std::size_t>(index) >= hidden.size() ||
         !hidden[static_cast<std::size_t>(index)];
}

}  // namespace

void RecordViewer::SetChannelShown(int channel, bool shown) {
  SetHidden(view_.hidden_channels, picture_->channels().size(), channel, shown);
}
bool RecordViewer::channel_shown(int channel) const {
  return Shown(view_.hidden_channels, picture_->channels().size(), channel);
}
void RecordViewer::SetSignalShown(int signal, bool shown) {
  SetHidden(view_.hidden_signals, picture_->discrete_signals().size(), signal, shown);
}
bool RecordViewer::signal_shown(int signal) const {
  return Shown(view_.hidden_signals, picture_->discrete_signals().size(), signal);
}
bool RecordViewer::signal_changes(int signal) const {
  const auto& signals = picture_->discrete_signals();
  if (signal < 0 || static_cast<std::size_t>(signal) >= signals.size()) return false;
  const auto& steps = signals[static_cast<std::size_t>(signal)].steps;
  return std::any_of(steps.begin(), steps.end(),
                     [&](const SignalStep& step) { return step.active != steps.front().active; });
}
void RecordViewer::SetReference(int channel) {
  if (channel >= 0 && static_cast<std::size_t>(channel) < picture_->channels().size())
    reference_ = channel;
}
int RecordViewer::reference() const {
  return reference_;
}

// Every change of every signal after its first state, in time order (changes
// at one time in the order of their signals).
void RecordViewer::MakeEvents() {
  events_.clear();
  const auto& signals = picture_->discrete_signals();
  for (std::size_t s = 0; s < signals.size(); ++s)
    for (std::size_t k = 1; k < signals[s].steps.size(); ++k)
      events_.push_back(
          {signals[s].steps[k].time_ms, static_cast<int>(s), signals[s].steps[k].active, {}});
  std::stable_sort(events_.begin(), events_.end(), [](const ViewerEvent& a, const ViewerEvent& b) {
    return a.time_ms < b.time_ms;
  });
  for (ViewerEvent& event : events_)
    event.text = ShownTime(*picture_, event.time_ms, view_.clock_time) + "  " +
                 signals[static_cast<std::size_t>(event.signal)].name + "  " +
                 Cp1251ToUtf8(event.picked_up ? text::kSignalPickedUp : text::kSignalDroppedOut);
}

const std::vector<ViewerEvent>& RecordViewer::events() const {
  return events_;
}
void RecordViewer::PickEvent(std::size_t index) {
  if (index < events_.size()) PutCursorA(events_[index].time_ms);
}
std::optional<std::size_t> RecordViewer::current_event() const {
  if (!view_.cursor_ms) return std::nullopt;
  const double at = *view_.cursor_ms;
  const auto first =
      std::lower_bound(events_.begin(), events_.end(), at - kSameTimeMs,
                       [](const ViewerEvent& event, double time) { return event.time_ms < time; });
  if (first == events_.end() || first->time_ms > at + kSameTimeMs) return std::nullopt;
  return static_cast<std::size_t>(first - events_.begin());
}
std::optional<double> RecordViewer::cursor_a() const {
  return view_.cursor_ms;
}
std::optional<double> RecordViewer::cursor_b() const {
  return view_.cursor_b_ms;
}

bool RecordViewer::PollRecord() {
  if (change_told_) return false;
  bool changed = !picture_->record_unchanged();
  for (const Watched& file : watched_) {
    if (StampOf(file.path) != file.stamp) changed = true;
  }
  if (!changed) return false;
  picture_->MarkChanged();
  change_told_ = true;
  return true;
}

const std::optional<TwoCursors>& RecordViewer::Analysed() const {
  const bool unchanged = picture_->record_unchanged();
  if (!analysed_ || analysed_->a != view_.cursor_ms || analysed_->b != view_.cursor_b_ms ||
      analysed_->primary != view_.primary || analysed_->reference != reference_ ||
      analysed_->unchanged != unchanged) {
    analysed_ = AnalysedCursors{view_.cursor_ms, view_.cursor_b_ms,
                                view_.primary,   unchanged,
                                reference_,      AnalyseView(*picture_, view_, reference_)};
    // A read that found the record changed just now reads nothing from here on.
    if (picture_->record_unchanged() != unchanged) analysed_.reset();
  }
  if (!analysed_) return Analysed();
  return analysed_->read;
}

Scene RecordViewer::DrawReadout(int width) const {
  return velk::DrawReadout(*picture_, view_, Analysed(), reference_, width);
}
Scene RecordViewer::DrawPhasors(int width, int height) const {
  return velk::DrawPhasors(*picture_, view_, Analysed(), reference_, width, height);
}
Scene RecordViewer::DrawForFile(int width) const {
  PictureView view = view_;
  if (width > 0) {
    view.height = view_.height * width / std::max(view_.width, 1);
    view.width = width;
  }
  view.first_band = 0;
  view.height = HeightHoldingBands(*picture_, view);
  return DrawPicture(*picture_, view);
}
Scene RecordViewer::DrawPage(int width, int height) const {
  return velk::DrawPage(*picture_, view_, Analysed(), reference_, Names(), width, height);
}
std::string RecordViewer::PictureFileName(std::string_view extension) const {
  std::string path = picture_->records().analog.empty() ? picture_->records().discrete
                                                        : picture_->records().analog;
  if (const auto* comtrade = dynamic_cast<const ComtradeSource*>(&picture_->source()))
    path = comtrade->path();
  std::string name = NameOf(path);
  const auto dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);  // X.cfg -> X.svg, not X.cfg.svg
  return name + std::string(extension);
}

}  // namespace velk
