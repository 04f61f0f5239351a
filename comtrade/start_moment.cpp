#include "comtrade/start_moment.h"

#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/text_reader.h"

namespace velk {
namespace {

void OverlayField(std::string& field, const std::string& given) {
  if (!given.empty()) field = given;
}

}  // namespace

void Overlay(StartMoment& moment, const StartMoment& given) {
  OverlayField(moment.day, given.day);
  OverlayField(moment.month, given.month);
  OverlayField(moment.year, given.year);
  OverlayField(moment.hour, given.hour);
  OverlayField(moment.minute, given.minute);
  OverlayField(moment.second, given.second);
}

std::string MomentLabel(const StartMoment& m) {
  return m.day + "." + m.month + "." + m.year + " " + m.hour + ":" + m.minute + ":" + m.second;
}

MomentNumbers NumbersOf(const StartMoment& m) {
  const auto number = [](const std::string& field) {
    return static_cast<int>(LeadingNumber(field));
  };
  return {number(m.month), number(m.day), number(m.hour), number(m.minute), number(m.second)};
}

bool SameStartMoment(const MomentNumbers& analog, const MomentNumbers& discrete) {
  return analog.month == discrete.month && analog.day == discrete.day &&
         analog.hour == discrete.hour && analog.minute == discrete.minute &&
         analog.second == discrete.second;
}

bool StartsAgree(const StartMoment& analog, const StartMoment& discrete) {
  StartMoment completed = analog;
  Overlay(completed, discrete);
  return SameStartMoment(NumbersOf(analog), NumbersOf(completed));
}

std::string StationLine(std::string_view station) {
  return CfgField(std::string(station)) + ",,1999";
}

std::string TimeLine(const StartMoment& m, std::string_view fraction) {
  return CfgField(m.day) + "/" + CfgField(m.month) + "/" + CfgField(m.year) + "," +
         CfgField(m.hour) + ":" + CfgField(m.minute) + ":" + CfgField(m.second) +
         std::string(fraction);
}

void WriteConfigTail(OutFile& cfg, Timing timing, std::int64_t samples, const StartMoment& moment) {
  const bool sampled = timing == Timing::kSampled;
  cfg.Line("50.0");
  cfg.Line(sampled ? "1" : "0");  // how many sample rates follow
  cfg.Line((sampled ? "800.0," : "0,") + Decimal(samples));
  cfg.Line(TimeLine(moment, ".000000"));
  cfg.Line(TimeLine(moment, sampled ? ".100000" : ".000000"));  // the trigger
  cfg.Line("BINARY");
  cfg.Line(sampled ? "1" : "1000");  // discrete time stamps count milliseconds
}

}  // namespace velk
