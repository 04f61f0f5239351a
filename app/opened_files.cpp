#include "app/opened_files.h"

#include "picture/comtrade_source.h"

#include <algorithm>

#include "app/texts.h"
#include "comtrade/ascii_case.h"
#include "comtrade/cp1251.h"
#include "comtrade/utf16.h"
#include "picture/record_picture.h"

namespace velk {
namespace {

constexpr std::string_view kOpenPrefix = "open ";

// A path's text for a person, in code page 1251 where the path is UTF-8 text.
std::string ForPerson(const std::string& path) {
  return Utf8ToCp1251(path).value_or(path);
}

bool IsFullPath(const std::string& path) {
#ifdef _WIN32
  const auto IsSeparator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) return true;
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);  // \\server\share
#else
  return !path.empty() && path[0] == '/';
#endif
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

HandedKind KindOfHandedFile(std::string_view path) {
  if (EndsWithNoCase(path, ".flh")) return HandedKind::kAnalogRecord;
  if (EndsWithNoCase(path, ".txt")) return HandedKind::kDiscreteRecord;
  if (EndsWithNoCase(path, ".cfg") || EndsWithNoCase(path, ".cff")) return HandedKind::kComtrade;
  return HandedKind::kOther;
}

std::unique_ptr<RecordViewer> OpenHandedFile(const std::string& path, UiServices& ui) {
  PictureRecords records;
  switch (KindOfHandedFile(path)) {
    case HandedKind::kAnalogRecord:
      records.analog = path;
      break;
    case HandedKind::kDiscreteRecord:
      records.discrete = path;
      break;
    case HandedKind::kComtrade: {
      // A record the reader refuses: its first error, with the file and line.
      ComtradePicture comtrade = OpenComtradePicture(path);
      if (!comtrade.picture) {
        ui.ErrorBox(ForPerson(ErrorText(comtrade.error)));
        return nullptr;
      }
      return std::make_unique<RecordViewer>(std::move(comtrade.picture));
    }
    case HandedKind::kOther:
      ui.ErrorBox(std::string(text::kNotARecord) + "\n" + ForPerson(path));
      return nullptr;
  }
  PictureOpening opening = RecordPicture::Open(records);
  if (!opening.picture) {
    // The label the window would show for the record: "Не найден", "Поврежден7".
    ui.ErrorBox(ForPerson(path) + "\n" + MessageText(opening.outcome));
    return nullptr;
  }
  return std::make_unique<RecordViewer>(std::move(opening.picture));
}

std::vector<std::string> HandedFilesOf(const std::vector<std::string>& arguments,
                                       const std::string& current_folder) {
  std::vector<std::string> files;
  bool option_value = false;
  for (const std::string& argument : arguments) {
    const bool option = !argument.empty() && argument[0] == '-';
    if (!option && !option_value && !argument.empty())
      files.push_back(IsFullPath(argument) ? argument : current_folder + argument);
    option_value = option;
  }
  return files;
}

// The path's bytes in hexadecimal: a name may hold any byte but the zero,
// also a line end, which would split the request.
std::string OpenRequest(std::string_view path) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string request(kOpenPrefix);
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    request += kDigits[byte >> 4];
    request += kDigits[byte & 0xF];
  }
  return request;
}

std::optional<std::string> PathOfOpenRequest(std::string_view request) {
  if (request.substr(0, kOpenPrefix.size()) != kOpenPrefix) return std::nullopt;
  const std::string_view digits = request.substr(kOpenPrefix.size());
  if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
  std::string path;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const int high = HexDigit(digits[i]), low = HexDigit(digits[i + 1]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
  }
  return path;
}

std::u16string JoinHandedPaths(const std::vector<std::string>& paths) {
  std::u16string block;
  for (const std::string& path : paths) {
    const std::optional<std::u16string> units = Utf16FromUtf8(path);
    if (!units || units->empty() || units->find(u'\0') != std::u16string::npos) continue;
    block += *units;
    block += u'\0';
  }
  return block;
}

std::vector<std::string> SplitHandedPaths(std::u16string_view block) {
  std::vector<std::string> paths;
  while (!block.empty() && paths.size() < kMaxHandedFiles) {
    const std::size_t end = block.find(u'\0');
    if (end == std::u16string_view::npos) break;  // cut short: no end of its path
    if (end > 0) paths.push_back(Utf8FromUtf16(block.substr(0, end)));
    block.remove_prefix(end + 1);
  }
  return paths;
}

}  // namespace velk
