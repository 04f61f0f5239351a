#include "tests/support/fakes.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"

namespace velk::testing {

void RecordingUi::ErrorBox(std::string_view text) {
  errors.push_back(Cp1251ToUtf8(text));
  log.push_back("error");
}

void RecordingReporter::Report(const Outcome& outcome) {
  errors.push_back(Cp1251ToUtf8(MessageText(outcome)));
  outcomes.push_back(outcome);
}

void RecordingUi::InformationBox(std::string_view text) {
  informations.push_back(Cp1251ToUtf8(text));
  log.push_back("information");
}

Answer RecordingUi::QuestionBox(std::string_view text) {
  questions.push_back(Cp1251ToUtf8(text));
  log.push_back("question");
  if (answers.empty()) return Answer::kYes;
  const Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

namespace {
std::optional<std::string> Next(std::deque<std::optional<std::string>>& script) {
  if (script.empty()) return std::nullopt;
  auto answer = script.front();
  script.pop_front();
  return answer;
}
}  // namespace

std::optional<std::string> RecordingUi::OpenDialog(const FileDialogOptions& options) {
  open_dialogs.push_back(options);
  log.push_back("open");
  return Next(open_answers);
}

std::optional<std::string> RecordingUi::SaveDialog(const FileDialogOptions& options) {
  save_dialogs.push_back(options);
  log.push_back("save");
  return Next(save_answers);
}

bool FakeSystem::SetCurrentDir(const std::string& folder) {
  entered.push_back(folder);
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(FsPath(folder), error)) return false;
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  current_directory =
      folder.back() == '/' || folder.back() == separator ? folder : folder + separator;
  return true;
}

TempDir::TempDir() {
  std::random_device entropy;
  path_ = std::filesystem::temp_directory_path() / ("velk-test-" + std::to_string(entropy()));
  std::filesystem::create_directories(path_);
}

std::string TempDir::Folder() const {
  return PathText(path_) + static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string TempDir::operator/(const std::string& name) const {
  std::string path = Folder() + name;
  std::replace(path.end() - static_cast<std::ptrdiff_t>(name.size()), path.end(), '/',
               static_cast<char>(std::filesystem::path::preferred_separator));
  return path;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

FormFixture::FormFixture() : form((system.executable_folder = dir.Folder(), ui), system) {
  system.current_directory = dir / "working/";
  system.config_folder = dir / "config/";
  std::filesystem::create_directories(FsPath(system.current_directory));
}

std::string FormFixture::Put(const std::string& name, const std::string& bytes) const {
  const std::string path = dir / name;
  WriteFile(path, bytes);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> CrLfLines(std::string text) {
  std::vector<std::string> lines;
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos; text.erase(0, at + 2))
    lines.push_back(text.substr(0, at));
  return lines;
}

std::vector<std::string> FileLines(const std::string& path) {
  return CrLfLines(ReadFile(path));
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(FsPath(path), std::ios::binary) << bytes;
}

std::string LastFoldersBytes(const std::string& text) {
#ifdef _WIN32
  return Utf8ToCp1251(text).value_or("(not in code page 1251)");
#else
  return text;
#endif
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(FsPath(path), error);
}

void Select(FileList& list, const std::string& path) {
  const std::filesystem::path p = FsPath(path);
  list.folder =
      PathText(p.parent_path()) + static_cast<char>(std::filesystem::path::preferred_separator);
  list.selected_name = PathText(p.filename());
}

void CheckSelected(TFComtrade& form, ListBox box) {
  form.ListClick(box, form.List(box).selected_name);
}

void ConvertInto(TFComtrade& form, RecordingUi& ui, void (TFComtrade::*click)(),
                 const std::string& out) {
  ui.save_answers.push_back(out);
  (form.*click)();
}

}  // namespace velk::testing
