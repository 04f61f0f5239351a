#include "comtrade/output_form.h"

#include <cstdlib>

#include "comtrade/number_format.h"

namespace velk {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Whole offsets east of UTC run from -12 h to +14 h.
constexpr int kMostMinutes = 14 * 60;

}  // namespace

OutputForm FormOf(Revision revision) {
  OutputForm form;
  form.revision = revision;
  form.encoding = revision == Revision::k2013 ? TextEncoding::kUtf8 : TextEncoding::kCp1251;
  return form;
}

std::string TimeCodeOfMinutes(int minutes) {
  if (minutes == 0) return "0";
  const int size = std::abs(minutes);
  std::string text = (minutes < 0 ? "-" : "+") + Decimal(size / 60);
  if (size % 60 != 0) text += "h" + ZeroPaddedCut(size % 60, 2);
  return text;
}

std::optional<std::string> TimeCodeText(std::string_view given) {
  int sign = 1;
  if (!given.empty() && (given[0] == '+' || given[0] == '-')) {
    sign = given[0] == '-' ? -1 : 1;
    given.remove_prefix(1);
  }
  std::size_t digits = 0;
  while (digits < given.size() && IsDigit(given[digits])) ++digits;
  if (digits == 0 || digits > 2) return std::nullopt;
  int minutes = 60 * (given[0] - '0');
  if (digits == 2) minutes = 10 * minutes + 60 * (given[1] - '0');
  given.remove_prefix(digits);
  if (!given.empty()) {
    if (given.size() != 3 || (given[0] != 'h' && given[0] != 'H') || !IsDigit(given[1]) ||
        !IsDigit(given[2]))
      return std::nullopt;
    const int extra = 10 * (given[1] - '0') + (given[2] - '0');
    if (extra >= 60) return std::nullopt;
    minutes += extra;
  }
  if (minutes > kMostMinutes) return std::nullopt;
  return TimeCodeOfMinutes(sign * minutes);
}

std::string FormMark(const OutputForm& form) {
  if (form.IsDefault()) return {};
  std::string mark = form.revision == Revision::k2013   ? "2013"
                     : form.revision == Revision::k1991 ? "1991"
                                                        : "1999";
  mark += form.encoding == TextEncoding::kUtf8 ? " utf-8" : " cp1251";
  if (form.one_file) mark += " cff";
  if (form.revision == Revision::k2013)
    mark += " " + form.time_code + " " + form.tmq_code + "," + form.leap_second;
  return mark;
}

}  // namespace velk
