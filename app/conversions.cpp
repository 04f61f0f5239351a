// The window's header checks and conversions: each takes its records from the
// file lists and its output path from the window, runs the record engine, and
// shows the outcome in the labels or, for a conversion, in error boxes.
#include "app/comtrade_form.h"
#include "app/texts.h"
#include "combined/requests.h"
#include "discrete/discrete_record.h"

namespace velk {
namespace {

// Every failure of a conversion becomes an error box with its message.
class BoxReporter : public Reporter {
 public:
  explicit BoxReporter(UiServices& ui) : ui_(ui) {}
  void Report(const Outcome& outcome) override { ui_.ErrorBox(MessageText(outcome)); }

 private:
  UiServices& ui_;
};

// DateLabelDIS of a sound record: the fields its start pair gives, "??" for a
// day or month it lacks, "????" for the year it never names, and in place of
// a time of day it lacks «время не указано».
std::string DiscreteStartLabel(const StartMoment& given) {
  const auto field = [](const std::string& text) { return text.empty() ? "??" : text; };
  const std::string date =
      field(given.day) + "." + field(given.month) + "." + std::string(kUnknownYear);
  if (LacksTimeOfDay(given)) return date + " " + std::string(text::kNoStartTime);
  return date + " " + given.hour + ":" + given.minute + ":" + given.second;
}

}  // namespace

void TFComtrade::TakeAnalogHeader(const AnalogHeader& header) {
  analog = header;
  controls.TipLabel = DeviceTypeText(header);
}

void TFComtrade::ReadHeaderANL() {
  const AnalogHeaderCheck check = ReadAnalogHeader(controls.FileListBox1.SelectedFile());
  if (!check.outcome.ok()) {
    controls.TipLabel = text::kNoDeviceType;
    controls.DateLabel = MessageText(check.outcome);  // "Не найден" or "Поврежден"
    controls.NameLabel.clear();
    controls.ConvertANLButton = false;
    return;
  }
  TakeAnalogHeader(check.header);
  controls.NameLabel = analog.StationNameANL;
  controls.DateLabel = MomentLabel(analog.Moment());
  controls.ConvertANLButton = true;
}

void TFComtrade::ReadHeaderDIS() {
  const DiscreteCheck check = CheckDiscreteRecord(controls.FileListBox2.SelectedFile());
  if (check.outcome.failure == Failure::kNotFound) {
    controls.DateLabelDIS = MessageText(check.outcome);
    controls.ConvertDISButton = false;
    return;
  }
  if (!check.outcome.ok()) {
    controls.DateLabelDIS = MessageText(check.outcome);  // "Поврежден" and the line
    controls.ConvertDISButton = false;
    return;
  }
  controls.DateLabelDIS = DiscreteStartLabel(check.moment);
  controls.ConvertDISButton = true;
  discrete = check.moment;
}

// The window's buttons are enabled only after the checks passed, so its
// requests convert at once and report in error boxes what they meet since.
void TFComtrade::ConvertANL() {
  BoxReporter boxes(ui_);
  const RequestOutcome done = ConvertAnalogRequest(
      {controls.FileListBox1.SelectedFile(), paths.OutPathANL, Checks::kPassedBefore}, boxes,
      output_.Form());
  // The conversion parsed the header again; the window keeps what it says.
  if (done.analog) TakeAnalogHeader(*done.analog);
}

void TFComtrade::ConvertDIS() {
  // The discrete record names no year: its pair bears the current one, as
  // velk-convert's does, and a time of day its start pair lacks is 00:00:00.
  BoxReporter boxes(ui_);
  const RequestOutcome done =
      ConvertDiscreteRequest({controls.FileListBox2.SelectedFile(), paths.OutPathDIS,
                              system_.CurrentYear(), Checks::kPassedBefore},
                             boxes, output_.Form());
  if (done.start_lacks_time) ui_.InformationBox(text::kStartLacksTime);
}

void TFComtrade::ConvertUNI() {
  BoxReporter boxes(ui_);
  const RequestOutcome done = ConvertCombinedRequest(
      {controls.FileListBox1.SelectedFile(), controls.FileListBox2.SelectedFile(), paths.OutPathUNI,
       [this] { return system_.StateFilePath(); }, Checks::kPassedBefore},
      boxes, output_.Form());
  if (done.analog) TakeAnalogHeader(*done.analog);
}

}  // namespace velk
