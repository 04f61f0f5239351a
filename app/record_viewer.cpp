#include "app/record_viewer.h"

#include <algorithm>
#include <cmath>

#include "app/texts.h"
#include "comtrade/cp1251.h"
#include "platform/platform.h"

namespace velk {
namespace {

// Each notch of the wheel shows this part of the span less (or more).
constexpr double kZoomPerNotch = 0.8;
// A drag shorter than this is a click.
constexpr double kClickSlack = 3;

}  // namespace

RecordViewer::RecordViewer(std::unique_ptr<RecordPicture> picture)
    : picture_(std::move(picture)), view_(WholeView(*picture_, 1000, 600)) {
  view_.cursor_ms = 0.0;
  channels_shown_.assign(picture_->channels().size(), true);
  signals_shown_.assign(picture_->discrete_signals().size(), true);
}

std::string RecordViewer::Title() const {
  std::string names;
  for (const std::string* path : {&picture_->records().analog, &picture_->records().discrete}) {
    if (path->empty()) continue;
    if (!names.empty()) names += " + ";
    const std::string name = NameOf(*path);
    names += Utf8ToCp1251(name).value_or(name);  // a name for a person, in the window's code
  }
  return std::string(text::kViewerTitle) + names;
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

void RecordViewer::Press(double x, double /*y*/, PointerButton button, bool shift) {
  press_b_ = button == PointerButton::kRight || shift;
  pressed_ = true;
  dragged_ = false;
  press_x_ = x;
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

void RecordViewer::Release(double x) {
  if (!pressed_) return;
  DragTo(x);
  pressed_ = false;
  if (dragged_ || x < PlotLeft(view_) || x > PlotRight(view_)) return;
  view_.cursor_ms = std::clamp(TimeAtX(view_, x), 0.0, picture_->DurationMs());
  if (picture_->sampled())
    view_.cursor_ms = static_cast<double>(SampleAt(*picture_, *view_.cursor_ms)) * kSampleStepMs;
}

void RecordViewer::Key(ViewerKey key, bool shift) {
  switch (key) {
    case ViewerKey::kHome:
      ShowSpan(0, picture_->DurationMs() + 1e9);
      break;
    case ViewerKey::kLeft:
      MoveCursor(shift ? -static_cast<int>(kCycleSamples) : -1);
      break;
    case ViewerKey::kRight:
      MoveCursor(shift ? static_cast<int>(kCycleSamples) : 1);
      break;
    case ViewerKey::kPreviousChange:
    case ViewerKey::kNextChange:
      break;
  }
}

// Moves the cursor by steps samples; a discrete record alone by steps of its
// state changes. The view follows a cursor that leaves it.
void RecordViewer::MoveCursor(int steps) {
  double at = view_.cursor_ms.value_or(view_.from_ms);
  if (picture_->sampled()) {
    const std::int64_t sample =
        std::clamp<std::int64_t>(SampleAt(*picture_, at) + steps, 0, picture_->sample_count() - 1);
    at = static_cast<double>(sample) * kSampleStepMs;
  } else {
    at = NextChangeTime(at, steps);
  }
  view_.cursor_ms = at;
  const double span = view_.to_ms - view_.from_ms;
  if (at < view_.from_ms) ShowSpan(at - span / 10, at - span / 10 + span);
  if (at > view_.to_ms) ShowSpan(at + span / 10 - span, at + span / 10);
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

double RecordViewer::NarrowestMs() const {
  return 8 * kSampleStepMs;
}

void RecordViewer::EnlargeBand(double, double) {}
void RecordViewer::SetClockTime(bool clock) {
  clock_time_ = clock;
}
bool RecordViewer::clock_time() const {
  return clock_time_;
}
void RecordViewer::SetFitToView(bool fit) {
  fit_to_view_ = fit;
}
bool RecordViewer::fit_to_view() const {
  return fit_to_view_;
}
void RecordViewer::SetPhasorPane(bool shown) {
  phasor_pane_ = shown;
}
bool RecordViewer::phasor_pane() const {
  return phasor_pane_;
}
BandUnder RecordViewer::BandAt(double) const {
  return {};
}
void RecordViewer::SetChannelShown(int channel, bool shown) {
  if (channel >= 0 && static_cast<std::size_t>(channel) < channels_shown_.size())
    channels_shown_[static_cast<std::size_t>(channel)] = shown;
}
bool RecordViewer::channel_shown(int channel) const {
  return channel >= 0 && static_cast<std::size_t>(channel) < channels_shown_.size() &&
         channels_shown_[static_cast<std::size_t>(channel)];
}
void RecordViewer::SetSignalShown(int signal, bool shown) {
  if (signal >= 0 && static_cast<std::size_t>(signal) < signals_shown_.size())
    signals_shown_[static_cast<std::size_t>(signal)] = shown;
}
bool RecordViewer::signal_shown(int signal) const {
  return signal >= 0 && static_cast<std::size_t>(signal) < signals_shown_.size() &&
         signals_shown_[static_cast<std::size_t>(signal)];
}
void RecordViewer::SetReference(int channel) {
  reference_ = channel;
}
int RecordViewer::reference() const {
  return reference_;
}
const std::vector<ViewerEvent>& RecordViewer::events() const {
  return events_;
}
void RecordViewer::PickEvent(std::size_t index) {
  if (index < events_.size()) view_.cursor_ms = events_[index].time_ms;
}
std::optional<std::size_t> RecordViewer::current_event() const {
  return std::nullopt;
}
std::optional<double> RecordViewer::cursor_a() const {
  return view_.cursor_ms;
}
std::optional<double> RecordViewer::cursor_b() const {
  return cursor_b_;
}
bool RecordViewer::PollRecord() {
  return false;
}
Scene RecordViewer::DrawReadout(int width) const {
  Scene scene;
  scene.width = width;
  return scene;
}
Scene RecordViewer::DrawPhasors(int width, int height) const {
  Scene scene;
  scene.width = width;
  scene.height = height;
  return scene;
}
Scene RecordViewer::DrawForFile(int width) const {
  PictureView view = view_;
  if (width > 0) {
    view.height = view_.height * width / std::max(view_.width, 1);
    view.width = width;
  }
  return DrawPicture(*picture_, view);
}
Scene RecordViewer::DrawPage(int width, int height) const {
  PictureView view = view_;
  view.width = width;
  view.height = height;
  return DrawPicture(*picture_, view);
}
std::string RecordViewer::PictureFileName(std::string_view extension) const {
  const std::string& path = picture_->records().analog.empty() ? picture_->records().discrete
                                                               : picture_->records().analog;
  return NameOf(path) + std::string(extension);
}

}  // namespace velk
