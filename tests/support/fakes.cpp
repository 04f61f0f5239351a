#include "tests/support/fakes.h"

#include <fstream>
#include <iterator>
#include <random>

#include "app/cp1251.h"

namespace velk::testing {

void RecordingUi::ErrorBox(std::string_view text) {
  errors.push_back(Cp1251ToUtf8(text));
}

Answer RecordingUi::QuestionBox(std::string_view text) {
  questions.push_back(Cp1251ToUtf8(text));
  if (answers.empty()) return Answer::kYes;
  const Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

TempDir::TempDir() {
  std::random_device entropy;
  path_ = std::filesystem::temp_directory_path() / ("velk-test-" + std::to_string(entropy()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

FormFixture::FormFixture() : form((system.executable_folder = dir.Folder(), ui), system) {}

std::string FormFixture::Put(const std::string& name, const std::string& bytes) const {
  const std::string path = dir / name;
  WriteFile(path, bytes);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) {
  return std::filesystem::exists(path);
}

void Select(FileList& list, const std::string& path) {
  const std::filesystem::path p(path);
  list.folder = p.parent_path().string() + "/";
  list.selected_name = p.filename().string();
}

}  // namespace velk::testing
