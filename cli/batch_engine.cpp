// The batch's conversions, each over a converter object of its own driven as
// one velk-convert command drives it.
#include "cli/batch_engine.h"

#include <filesystem>

#include "app/comtrade_form.h"
#include "app/cp1251.h"
#include "cli/cli_ui.h"
#include "comtrade/file_io.h"

namespace velk::batch {
namespace {

// Message boxes collected in order; questions are answered yes and dialogs
// cancelled, as on the command line.
class CollectingUi : public UiServices {
 public:
  void ErrorBox(std::string_view text) override { messages.emplace_back(text); }
  Answer QuestionBox(std::string_view) override { return Answer::kYes; }
  std::optional<std::string> OpenDialog(const FileDialogOptions&) override { return {}; }
  std::optional<std::string> SaveDialog(const FileDialogOptions&) override { return {}; }

  std::vector<std::string> messages;
};

// One conversion's objects: the converter, its collector and the machine with
// a private state file.
struct Converter {
  CollectingUi ui;
  CommandLineSystem system{""};
  TFComtrade form{ui, system};
};

// The full path of path, or path itself when the current folder is gone.
std::filesystem::path Absolute(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(FsPath(path), error);
  return error ? FsPath(path) : full;
}

// A record placed in a window list: its folder and name.
void Select(FileList& list, const std::string& path) {
  const std::filesystem::path full = Absolute(path);
  list.folder =
      full.parent_path().string() + static_cast<char>(std::filesystem::path::preferred_separator);
  list.selected_name = full.filename().string();
}

std::string FullPath(const std::string& path) {
  return Absolute(path).lexically_normal().string();
}

RecordCheck AnalogCheckOf(TFComtrade& form) {
  form.ReadHeaderANL();
  RecordCheck check{form.controls.ConvertANLButton, form.controls.DateLabel, {}};
  if (check.ok) {
    const AnalogHeader& a = form.analog;
    check.start = {a.month, a.day, a.hour, a.minute, a.second};
  }
  return check;
}

RecordCheck DiscreteCheckOf(TFComtrade& form) {
  form.ReadHeaderDIS();
  RecordCheck check{form.controls.ConvertDISButton, form.controls.DateLabelDIS, {}};
  if (check.ok) {
    const DiscreteTables& d = form.discrete;
    check.start = {d.month, d.day, d.hour, d.minute, d.second};
  }
  return check;
}

ConversionResult Rejected(const RecordCheck& check) {
  return {false, check.label, {}};
}

ConversionResult Outcome(const Converter& c) {
  return {c.ui.messages.empty(), "", c.ui.messages};
}

}  // namespace

RecordCheck CheckAnalog(const std::string& path) {
  Converter c;
  Select(c.form.controls.FileListBox1, path);
  return AnalogCheckOf(c.form);
}

RecordCheck CheckDiscrete(const std::string& path) {
  Converter c;
  Select(c.form.controls.FileListBox2, path);
  return DiscreteCheckOf(c.form);
}

ConversionResult ConvertAnalogRecord(const std::string& flh, const std::string& out_cfg) {
  Converter c;
  Select(c.form.controls.FileListBox1, flh);
  const RecordCheck check = AnalogCheckOf(c.form);
  if (!check.ok) return Rejected(check);
  c.form.paths.OutPathANL = FullPath(out_cfg);
  c.form.ConvertANL();
  return Outcome(c);
}

ConversionResult ConvertDiscreteRecord(const std::string& txt, const std::string& out_cfg) {
  Converter c;
  Select(c.form.controls.FileListBox2, txt);
  const RecordCheck check = DiscreteCheckOf(c.form);
  if (!check.ok) return Rejected(check);
  c.form.paths.OutPathDIS = FullPath(out_cfg);
  c.form.ConvertDIS();
  return Outcome(c);
}

ConversionResult ConvertCombinedRecords(const std::string& flh, const std::string& txt,
                                        const std::string& out_cfg) {
  Converter c;
  Select(c.form.controls.FileListBox1, flh);
  Select(c.form.controls.FileListBox2, txt);
  const RecordCheck analog = AnalogCheckOf(c.form);
  if (!analog.ok) return Rejected(analog);
  const RecordCheck discrete = DiscreteCheckOf(c.form);
  if (!discrete.ok) return Rejected(discrete);
  if (analog.start != discrete.start) return {false, "", {}};
  c.form.paths.OutPathUNI = FullPath(out_cfg);
  c.form.ConvertUNI();
  return Outcome(c);
}

std::string ForPerson(const std::string& cp1251) {
  return Cp1251ToUtf8(cp1251);
}

}  // namespace velk::batch
