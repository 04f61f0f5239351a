// What the converter's logic needs of a window toolkit: modal message boxes,
// modal file dialogs and the few things only the window itself can do.
//
// The window's captions, enabled flags and list selections are plain state of
// TFComtrade; only what waits for the user or acts on the window goes through
// here. The Qt window, the command line and the tests each implement this
// interface.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velk {

enum class Answer { kYes, kNo };

// The window's two file lists.
enum class ListBox { kFileListBox1, kFileListBox2 };

// What a file dialog starts with. Texts are code page 1251, paths as the file
// system names them.
struct FileDialogOptions {
  std::string filter;             // "description|pattern", such as "... (*.flh)|*.FLH"
  std::string default_extension;  // added to a typed name without one, such as "flh"
  std::string initial_folder;     // where the dialog opens
  std::string file_name;          // the name offered, or empty
};

class UiServices {
 public:
  virtual ~UiServices() = default;
  // An error box with the OK button alone; returns once the user pressed it.
  // text is code page 1251.
  virtual void ErrorBox(std::string_view text) = 0;
  // An information box with the buttons Yes and No; returns the button pressed.
  virtual Answer QuestionBox(std::string_view text) = 0;
  // An information box with the OK button alone; returns once the user pressed
  // it. text is code page 1251.
  virtual void InformationBox(std::string_view text) = 0;

  // A modal open dialog for an existing file of an existing folder. Returns the
  // chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> OpenDialog(const FileDialogOptions& options) = 0;
  // A modal save dialog; it asks nothing about an existing file itself. Returns
  // the chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> SaveDialog(const FileDialogOptions& options) = 0;

  // Closes the main window, which ends the program. A front end without a
  // window has nothing to do for this and the two below.
  virtual void CloseWindow() {}
  // Restores the main window if it is minimized and brings it to the front.
  virtual void RestoreAndRaise() {}
  // Gives a file list the keyboard focus.
  virtual void FocusList(ListBox) {}
};

}  // namespace velk
