#include "app/output_settings.h"

#include <string_view>

#include "comtrade/file_io.h"
#include "comtrade/text_reader.h"
#include "platform/platform.h"

namespace velk {
namespace {

// Longer lines are no line of ours; a file of more lines is not ours either.
constexpr std::size_t kLongestLine = 64;
constexpr int kMostLines = 32;

}  // namespace

OutputSettings::OutputSettings(int local_offset_minutes)
    : time_code(TimeCodeOfMinutes(local_offset_minutes)) {}

OutputSettings::Loaded OutputSettings::Load(const std::string& path) {
  InFile file;
  if (!file.Open(path)) return Loaded::kMissing;
  TextReader reader(file, kLongestLine);
  bool damaged = false;
  std::string line;
  for (int n = 0;; ++n) {
    reader.ReadLine(line);
    if (reader.ended() && line.empty()) break;
    if (n == kMostLines) return Loaded::kDamaged;
    const std::size_t equals = line.find('=');
    const std::string_view key = std::string_view(line).substr(0, equals);
    const std::string_view value = equals == std::string::npos
                                       ? std::string_view{}
                                       : std::string_view(line).substr(equals + 1);
    bool taken = !reader.too_long() && equals != std::string::npos;
    if (!taken) {
    } else if (key == "revision" && (value == "1999" || value == "2013")) {
      revision = value == "2013" ? Revision::k2013 : Revision::k1999;
    } else if (key == "encoding" && (value == "cp1251" || value == "utf-8")) {
      encoding = value == "utf-8" ? TextEncoding::kUtf8 : TextEncoding::kCp1251;
    } else if (key == "one_file" && (value == "0" || value == "1")) {
      one_file = value == "1";
    } else if (const auto code = TimeCodeText(value); key == "time_code" && code) {
      time_code = *code;
    } else {
      taken = false;
    }
    damaged = damaged || !taken;
    if (reader.ended()) break;
  }
  return damaged ? Loaded::kDamaged : Loaded::kRead;
}

bool OutputSettings::Save(const std::string& path) const {
  OutFile file;
  if (!file.Create(path)) return false;
  file.Line(std::string("revision=") + (revision == Revision::k2013 ? "2013" : "1999"));
  file.Line(std::string("encoding=") + (encoding == TextEncoding::kUtf8 ? "utf-8" : "cp1251"));
  file.Line(std::string("one_file=") + (one_file ? "1" : "0"));
  file.Line("time_code=" + time_code);
  return file.Close();
}

OutputForm OutputSettings::Form() const {
  OutputForm form;
  form.revision = revision;
  form.encoding = encoding;
  form.one_file = one_file;
  if (revision == Revision::k2013) form.time_code = time_code;
  return form;
}

std::string OutputSettingsPathBeside(const std::string& last_folders_path) {
  return FolderOf(last_folders_path) + kOutputSettingsName;
}

}  // namespace velk
