#include "cli/picture_command.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "cli/cli_texts.h"
#include "cli/cli_ui.h"
#include "comtrade/ascii_case.h"
#include "comtrade/cp1251.h"
#include "picture/comtrade_source.h"
#include "picture/record_picture.h"
#include "picture/scene.h"
#include "picture/svg.h"
#include "platform/platform.h"

namespace velk {
namespace {

constexpr std::string_view kPictureHelp =
    "  velk-convert picture RECORD.flh|RECORD.txt [RECORD.txt] OUT.svg\n"
    "  velk-convert picture FILE.cfg|FILE.cff OUT.svg\n"
    "                       [--from MS] [--to MS] [--width PX]\n"
    "                       [--primary|--secondary]\n"
    "      картина записи (обеих записей одного момента пуска) в файле SVG\n"
    "      the picture of a record (of both records of one start moment) as SVG\n"
    "      --from, --to  мс от первого отсчета / ms from the first sample\n"
    "      --width       ширина в точках / width in pixels (300..20000, 1200)\n"
    "      --primary, --secondary  первичные или вторичные значения (без них:\n"
    "                    как в файле) / primary or secondary values (without\n"
    "                    either: as the file gives them)\n";

constexpr int kDefaultWidth = 1200;
constexpr int kNarrowest = 300;
constexpr int kWidest = 20000;

struct PictureOptions {
  PictureRecords records;
  std::string comtrade;  // a COMTRADE record instead of ours
  std::string out;
  std::optional<double> from_ms, to_ms;
  int width = kDefaultWidth;
  std::optional<bool> primary;  // the side the file gives when not asked
};

template <typename Number>
std::optional<Number> NumberOf(const std::string& text) {
  Number value{};
  const auto done = std::from_chars(text.data(), text.data() + text.size(), value);
  if (done.ec != std::errc{} || done.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// The records and the output file from the positional arguments: a .flh or a
// .txt record, or a .flh and a .txt one, then the SVG file.
bool TakeFiles(const std::vector<std::string>& files, PictureOptions& options) {
  if (files.size() < 2 || files.size() > 3) return false;
  options.out = FullPath(files.back());
  const std::string& first = files[0];
  if (files.size() == 3) {
    if (!EndsWithNoCase(first, ".flh") || !EndsWithNoCase(files[1], ".txt")) return false;
    options.records = {FullPath(first), FullPath(files[1])};
  } else if (IsComtradePath(first)) {
    options.comtrade = FullPath(first);
  } else if (EndsWithNoCase(first, ".flh")) {
    options.records.analog = FullPath(first);
  } else if (EndsWithNoCase(first, ".txt")) {
    options.records.discrete = FullPath(first);
  } else {
    return false;
  }
  return true;
}

std::optional<PictureOptions> Parse(const std::vector<std::string>& args) {
  PictureOptions options;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--primary" || arg == "--secondary") {
      options.primary = arg == "--primary";
    } else if ((arg == "--from" || arg == "--to") && has_value) {
      const auto ms = NumberOf<double>(args[++i]);
      if (!ms) return std::nullopt;
      (arg == "--from" ? options.from_ms : options.to_ms) = *ms;
    } else if (arg == "--width" && has_value) {
      const auto width = NumberOf<int>(args[++i]);
      if (!width || *width < kNarrowest || *width > kWidest) return std::nullopt;
      options.width = *width;
    } else if (arg.starts_with("--")) {
      return std::nullopt;
    } else {
      files.push_back(arg);
    }
  }
  if (!TakeFiles(files, options)) return std::nullopt;
  if (options.from_ms && options.to_ms && !(*options.from_ms < *options.to_ms)) return std::nullopt;
  return options;
}

}  // namespace

std::string_view PictureHelp() {
  return kPictureHelp;
}

std::unique_ptr<RecordPicture> OpenShownRecord(const std::string& comtrade,
                                               const PictureRecords& records, std::ostream& err) {
  if (!comtrade.empty()) {
    ComtradePicture opened = OpenComtradePicture(comtrade);
    if (!opened.picture) err << ErrorText(opened.error) << '\n';
    return std::move(opened.picture);
  }
  PictureOpening opening = RecordPicture::Open(records);
  if (opening.starts_differ) {
    err << kMomentsDiffer << '\n';
    return nullptr;
  }
  if (!opening.picture) err << Cp1251ToUtf8(MessageText(opening.outcome)) << '\n';
  return std::move(opening.picture);
}

int RunPicture(const std::vector<std::string>& args, std::ostream& err) {
  const std::optional<PictureOptions> options = Parse(args);
  if (!options) {
    err << kPictureHelp;
    return kExitUsage;
  }
  const std::unique_ptr<RecordPicture> opened =
      OpenShownRecord(options->comtrade, options->records, err);
  if (!opened) return kExitHeaderRejected;
  const RecordPicture& picture = *opened;
  PictureView view = WholeView(picture, options->width, NaturalHeight(picture));
  view.from_ms = options->from_ms.value_or(view.from_ms);
  view.to_ms =
      options->to_ms.value_or(std::max(view.to_ms, view.from_ms + picture.timing().StepMs(0)));
  view.primary = options->primary.value_or(view.primary);
  const Outcome written = WriteSvg(DrawPicture(picture, view), options->out);
  if (!written.ok()) {
    StreamReporter(err).Report(written);
    return kExitConversionFailed;
  }
  return kExitConverted;
}

}  // namespace velk
