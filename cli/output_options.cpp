#include "cli/output_options.h"

#include <optional>

#include "cli/cli_texts.h"
#include "comtrade/ascii_case.h"

namespace velk {
namespace {

bool IsHexDigit(const std::string& text) {
  if (text.size() != 1) return false;
  const char c = text[0];
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

FormOptions TakeFormOptions(const std::vector<std::string>& args, int local_offset_minutes) {
  FormOptions taken;
  std::optional<std::string> revision, encoding, time_code, quality;
  bool one_file = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {  // what follows is no option
      taken.rest.insert(taken.rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i),
                        args.end());
      break;
    }
    std::optional<std::string>* value = arg == "--revision"       ? &revision
                                        : arg == "--encoding"     ? &encoding
                                        : arg == "--time-code"    ? &time_code
                                        : arg == "--time-quality" ? &quality
                                                                  : nullptr;
    if (arg == "--cff") {
      one_file = true;
    } else if (value == nullptr) {
      taken.rest.push_back(arg);
    } else if (i + 1 == args.size()) {
      taken.error = std::string(kNoOptionValue) + arg;
      return taken;
    } else {
      *value = args[++i];
    }
  }

  OutputForm& form = taken.form;
  if (revision && *revision != "1999" && *revision != "2013") {
    taken.error = std::string(kBadRevision) + *revision;
    return taken;
  }
  const bool revision_2013 = revision && *revision == "2013";
  form = FormOf(revision_2013 ? Revision::k2013 : Revision::k1999);
  form.one_file = one_file;
  if (encoding) {
    const std::string name = AsciiLowered(*encoding);
    if (name == "cp1251" || name == "windows-1251") {
      form.encoding = TextEncoding::kCp1251;
    } else if (name == "utf-8" || name == "utf8") {
      form.encoding = TextEncoding::kUtf8;
    } else {
      taken.error = std::string(kBadEncoding) + *encoding;
      return taken;
    }
  }
  if ((time_code || quality) && !revision_2013) {
    taken.error = std::string(kClockNeeds2013);
    return taken;
  }
  if (!revision_2013) return taken;
  if (time_code) {
    const std::optional<std::string> code = TimeCodeText(*time_code);
    if (!code) {
      taken.error = std::string(kBadTimeCode) + *time_code;
      return taken;
    }
    form.time_code = *code;
  } else {
    form.time_code = TimeCodeOfMinutes(local_offset_minutes);
  }
  if (quality) {
    if (!IsHexDigit(*quality)) {
      taken.error = std::string(kBadTimeQuality) + *quality;
      return taken;
    }
    form.tmq_code = *quality;
    char& digit = form.tmq_code[0];
    if (digit >= 'a') digit = static_cast<char>(digit - 'a' + 'A');
  }
  return taken;
}

}  // namespace velk
