// Test doubles for what the converter's logic asks of the window and the
// machine, and a private folder per test.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/comtrade_form.h"
#include "app/system_services.h"
#include "app/ui_services.h"
#include "comtrade/file_io.h"
#include "comtrade/report.h"

namespace velk::testing {

// Records every message box in order (as UTF-8, for readable assertions) and
// answers questions from a script; an unscripted question is answered Yes.
// Dialogs are answered from their own scripts (nothing = cancel); an
// unscripted dialog is cancelled. Every dialog's options are kept.
class RecordingUi : public UiServices {
 public:
  void ErrorBox(std::string_view text) override;
  Answer QuestionBox(std::string_view text) override;
  void InformationBox(std::string_view text) override;
  std::optional<std::string> OpenDialog(const FileDialogOptions& options) override;
  std::optional<std::string> SaveDialog(const FileDialogOptions& options) override;
  void CloseWindow() override { actions.push_back("close"); }
  void RestoreAndRaise() override { actions.push_back("raise"); }
  void FocusList(ListBox box) override {
    actions.push_back(box == ListBox::kFileListBox1 ? "focus 1" : "focus 2");
  }

  std::vector<std::string> errors;        // error boxes, UTF-8
  std::vector<std::string> questions;     // question boxes, UTF-8
  std::vector<std::string> informations;  // information boxes, UTF-8
  std::deque<Answer> answers;
  std::vector<FileDialogOptions> open_dialogs, save_dialogs;
  std::deque<std::optional<std::string>> open_answers, save_answers;
  std::vector<std::string> actions;  // window actions: "close", "raise", "focus 1", "focus 2"
  std::vector<std::string> log;      // every box and dialog in order: "error", "open", ...
};

// Records every report of the record engine in order: its message (as UTF-8,
// for readable assertions) and the outcome itself.
class RecordingReporter : public Reporter {
 public:
  void Report(const Outcome& outcome) override;

  std::vector<std::string> errors;  // messages, UTF-8
  std::vector<Outcome> outcomes;
};

// The machine with a current directory of its own: entering a folder checks
// that it exists but never moves the test process.
class FakeSystem : public SystemServices {
 public:
  std::string ExecutableFolder() const override { return executable_folder; }
  int CurrentYear() const override { return year; }
  std::string CurrentDirectory() const override { return current_directory; }
  bool SetCurrentDir(const std::string& folder) override;
  std::string ExpandFileName(const std::string& path) const override {
    return ExpandPath(current_directory, path);
  }
  std::string UserConfigFolder() const override { return config_folder; }
  std::string UserDocumentsFolder() const override { return documents_folder; }
  // The executable's folder takes a new file only while executable_folder_writable.
  bool CanCreateFileIn(const std::string& folder) const override {
    if (folder == executable_folder && !executable_folder_writable) return false;
    return SystemServices::CanCreateFileIn(folder);
  }
  void ReleaseStateFile() override { ++state_file_releases; }

  std::string executable_folder;
  std::string current_directory;
  std::string config_folder;     // empty: the machine names no configuration folder
  std::string documents_folder;  // empty: the machine names no documents folder
  bool executable_folder_writable = true;
  int state_file_releases = 0;
  std::vector<std::string> entered;  // every folder asked to be entered, in order
  int year = 2026;
};

// A fresh folder for one test, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // path of name inside the folder
  // path of name inside the folder; a "/" in name becomes the system's separator
  std::string operator/(const std::string& name) const;
  // the folder's path ending with the system's separator
  std::string Folder() const;

 private:
  std::filesystem::path path_;
};

// A TFComtrade with recording fakes and a folder; the executable's folder is
// it, the current directory is its subfolder "working/", and the user's
// configuration folder is "config/" (not made).
struct FormFixture {
  FormFixture();
  // Writes bytes to a file in the folder and returns its path.
  std::string Put(const std::string& name, const std::string& bytes) const;

  TempDir dir;
  RecordingUi ui;
  FakeSystem system;
  TFComtrade form;
  RecordingReporter reports;  // of engine calls made by the test itself
};

std::string ReadFile(const std::string& path);
// The lines of a text whose lines end in CR LF, without their line ends.
std::vector<std::string> CrLfLines(std::string text);
// The lines of the file at path, as CrLfLines gives them.
std::vector<std::string> FileLines(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// The bytes of a last-folders file with the given UTF-8 text: the text itself
// on Linux, its code page 1251 on Windows.
std::string LastFoldersBytes(const std::string& text);
bool Exists(const std::string& path);
// Selects path in a window list as a click would.
void Select(FileList& list, const std::string& path);
// Checks the record selected in a list, as a click on its row checks it.
void CheckSelected(TFComtrade& form, ListBox box);
// What a convert button does when its save dialog answers out.
void ConvertInto(TFComtrade& form, RecordingUi& ui, void (TFComtrade::*click)(),
                 const std::string& out);

}  // namespace velk::testing
