#include "comtrade/start_moment.h"

#include "comtrade/number_format.h"

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

bool LacksTimeOfDay(const StartMoment& m) {
  return m.hour.empty() || m.minute.empty() || m.second.empty();
}

StartMoment LegalStart(StartMoment moment) {
  for (std::string* date : {&moment.day, &moment.month})
    if (date->empty()) *date = "01";
  for (std::string* time : {&moment.hour, &moment.minute, &moment.second})
    if (time->empty()) *time = "00";
  return moment;
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

}  // namespace velk
