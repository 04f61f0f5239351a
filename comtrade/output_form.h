// The form a conversion writes its pair in: the revision year of the
// configuration file, the encoding of its names, one .cff file or a .cfg and a
// .dat, and what a revision 2013 file says of the device clock. The default
// form is revision 1999 in code page 1251 as two files, the bytes every
// conversion has always written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "comtrade/configuration.h"

namespace velk {

struct OutputForm {
  Revision revision = Revision::k1999;
  TextEncoding encoding = TextEncoding::kCp1251;
  bool one_file = false;  // OUT.cff and OUTASCII.cff in place of the four files
  // Revision 2013 only: the device clock's offset from UTC as the time_code
  // field writes it ("+3", "-5h30", "0"). The record itself says nothing of it.
  std::string time_code = "0";
  // The clock's quality: "F" (the time is not known to be reliable) unless the
  // user says the device clock was synchronised, and the leap-second
  // indicator "3" (the device cannot tell leap seconds).
  std::string tmq_code = "F";
  std::string leap_second = "3";

  // The ASCII configuration file of a two-file pair of revision 1999 ends
  // with one empty line, as it always has; no other form's does.
  bool AsciiEndsWithEmptyLine() const { return revision != Revision::k2013 && !one_file; }

  bool IsDefault() const { return *this == OutputForm{}; }
  friend bool operator==(const OutputForm&, const OutputForm&) = default;
};

// The form of a revision with its own default encoding: code page 1251 for
// 1999, UTF-8 for 2013.
OutputForm FormOf(Revision revision);

// The time_code text of an offset given as ±H[hMM] ("+3", "-5h30", "3",
// "+03h00"): the sign, the hours without a leading zero and the minutes when
// not 0 ("+3", "-5h30"); "0" for no offset. Nothing for text of another
// shape or an offset beyond ±14 hours.
std::optional<std::string> TimeCodeText(std::string_view given);

// The time_code text of an offset in minutes east of UTC.
std::string TimeCodeOfMinutes(int minutes);

// A short mark of a form other than the default, for the batch's list of
// pairs and a window's caption: "2013 utf-8 cff +3"; empty for the default.
std::string FormMark(const OutputForm& form);

}  // namespace velk
