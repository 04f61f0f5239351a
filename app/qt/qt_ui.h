// What the logic asks of the window toolkit, done with Qt: modal message boxes
// and file dialogs over the main window, and the window's own actions.
#pragma once

#include "app/qt/comtrade_window.h"
#include "app/ui_services.h"

namespace velk {

// Russian texts for Qt's own buttons and dialogs ("Да", "Нет", "Открыть").
void InstallRussianTranslation();

class QtUi : public UiServices {
 public:
  // The window the boxes and dialogs belong to; before each of them it is
  // brought up to date, so the user sees what the handler did so far.
  void Attach(ComtradeWindow* window) { window_ = window; }

  void ErrorBox(std::string_view text) override;
  Answer QuestionBox(std::string_view text) override;
  void InformationBox(std::string_view text) override;
  std::optional<std::string> OpenDialog(const FileDialogOptions& options) override;
  std::optional<std::string> SaveDialog(const FileDialogOptions& options) override;
  void CloseWindow() override;
  void RestoreAndRaise() override;
  void FocusList(ListBox box) override;

 private:
  QWidget* BeforeModal();

  ComtradeWindow* window_ = nullptr;
};

// The name filter of a Qt file dialog for "description|pattern": the
// description as it is when it names its patterns in brackets, since Qt
// matches them in any case; otherwise the description with the pattern.
QString QtFilter(std::string_view filter);

}  // namespace velk
