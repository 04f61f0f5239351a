// The form the window's conversions write their pairs in, as the user chose it
// in «Параметры → Формат вывода…»: the revision, the encoding of the names,
// one .cff file per pair or four files, and the device clock's offset from UTC
// that a revision 2013 file states. It is kept per user in a file of its own,
// cmtrd.fmt, beside cmtrd.ddt, in lines of ASCII ended by CR LF:
//   revision=1999|2013
//   encoding=cp1251|utf-8
//   one_file=0|1
//   time_code=±H[hMM]
#pragma once

#include <string>

#include "comtrade/output_form.h"

namespace velk {

inline constexpr const char* kOutputSettingsName = "cmtrd.fmt";

class OutputSettings {
 public:
  // The default: revision 1999 in code page 1251 as four files, and as the
  // device clock's offset the computer's own, in minutes east of UTC.
  explicit OutputSettings(int local_offset_minutes = 0);

  enum class Loaded { kRead, kMissing, kDamaged };
  // Reads the file at path. A missing file leaves the settings as they are;
  // in a damaged one every line that makes sense is taken and the others
  // keep their value.
  Loaded Load(const std::string& path);
  // Writes the file at path; false when it cannot be written.
  bool Save(const std::string& path) const;

  // The form to convert in: a revision 1999 form states no clock, so that
  // the default settings give the default form, today's bytes.
  OutputForm Form() const;

  Revision revision = Revision::k1999;
  TextEncoding encoding = TextEncoding::kCp1251;
  bool one_file = false;
  std::string time_code = "0";  // as TimeCodeText writes it

  friend bool operator==(const OutputSettings&, const OutputSettings&) = default;
};

// The settings file beside the last-folders file at last_folders_path.
std::string OutputSettingsPathBeside(const std::string& last_folders_path);

}  // namespace velk
