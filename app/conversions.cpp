// The window's header checks and conversions: each takes its records from the
// file lists and its output path from the window, runs the record engine, and
// shows the outcome in the labels or, for a conversion, in error boxes.
#include "app/comtrade_form.h"
#include "app/texts.h"
#include "combined/combined.h"
#include "comtrade/number_format.h"
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

}  // namespace

void TFComtrade::TakeAnalogHeader(const AnalogHeader& header) {
  analog = header;
  start = header.Moment();
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
  controls.DateLabel = MomentLabel(start);
  controls.ConvertANLButton = true;
}

void TFComtrade::ReadHeaderDIS() {
  const DiscreteCheck check = CheckDiscreteRecord(controls.FileListBox2.SelectedFile());
  if (check.outcome.failure == Failure::kNotFound) {
    controls.DateLabelDIS = MessageText(check.outcome);
    controls.ConvertDISButton = false;
    return;
  }
  // The record's start pair replaces the fields it gives; a field it lacks
  // keeps what the reader that ran last wrote.
  start.year = kUnknownYear;
  Overlay(start, check.moment);
  if (!check.outcome.ok()) {
    controls.DateLabelDIS = MessageText(check.outcome);  // "Поврежден" and the line
    controls.ConvertDISButton = false;
    return;
  }
  controls.DateLabelDIS = MomentLabel(start);
  controls.ConvertDISButton = true;
  discrete = NumbersOf(start);
}

void TFComtrade::ConvertANL() {
  const std::string record = controls.FileListBox1.SelectedFile();
  // The conversion parses the header again; the window keeps what it says.
  if (const AnalogHeaderCheck check = ReadAnalogHeader(record); check.outcome.ok())
    TakeAnalogHeader(check.header);
  BoxReporter boxes(ui_);
  ConvertAnalog(record, paths.OutPathANL, boxes);
}

void TFComtrade::ConvertDIS() {
  // The discrete record names no year: its pair bears the current one.
  start.year = ZeroPaddedCut(system_.CurrentYear(), 4);
  BoxReporter boxes(ui_);
  ConvertDiscrete(controls.FileListBox2.SelectedFile(), paths.OutPathDIS, start, boxes);
}

void TFComtrade::ConvertUNI() {
  const std::string analog_record = controls.FileListBox1.SelectedFile();
  if (const AnalogHeaderCheck check = ReadAnalogHeader(analog_record); check.outcome.ok())
    TakeAnalogHeader(check.header);
  BoxReporter boxes(ui_);
  ConvertCombined(
      analog_record, controls.FileListBox2.SelectedFile(), paths.OutPathUNI,
      [this] { return system_.StateFilePath(); }, boxes, &start);
}

}  // namespace velk
