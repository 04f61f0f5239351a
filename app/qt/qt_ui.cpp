#include "app/qt/qt_ui.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include "app/system_services.h"
#include "app/texts.h"

namespace velk {
namespace {

// One modal file dialog with the logic's options; the chosen path or nothing.
std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogOptions& options,
                                         bool save) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // An open dialog takes only an existing file of an existing folder; a save
  // dialog asks nothing about an existing file, the logic does.
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilter(QtFilter(options.filter));
  dialog.setDefaultSuffix(FromPath(options.default_extension));
  // A folder that is missing, such as an output folder nobody made, opens
  // the dialog in the nearest folder above it.
  const std::string folder = ExistingFolderOf(options.initial_folder);
  if (!folder.empty()) dialog.setDirectory(FromPath(folder));
  if (!options.file_name.empty()) dialog.selectFile(FromPath(options.file_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToPath(dialog.selectedFiles().constFirst());
}

}  // namespace

void InstallRussianTranslation() {
  static QTranslator translator;
  if (translator.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&translator);
}

QString QtFilter(std::string_view filter) {
  const auto bar = filter.find('|');
  const QString description = FromCp1251(filter.substr(0, bar));
  if (bar == std::string_view::npos || description.endsWith(')')) return description;
  return description + " (" + FromCp1251(filter.substr(bar + 1)) + ")";
}

QWidget* QtUi::BeforeModal() {
  if (window_ != nullptr) window_->ShowState();
  return window_;
}

void QtUi::ErrorBox(std::string_view text) {
  QWidget* parent = BeforeModal();
  QMessageBox box(QMessageBox::Critical, FromCp1251(text::kErrorTitle), FromCp1251(text),
                  QMessageBox::Ok, parent);
  box.exec();
}

Answer QtUi::QuestionBox(std::string_view text) {
  QWidget* parent = BeforeModal();
  QMessageBox box(QMessageBox::Information, FromCp1251(text::kInformationTitle), FromCp1251(text),
                  QMessageBox::Yes | QMessageBox::No, parent);
  return box.exec() == QMessageBox::No ? Answer::kNo : Answer::kYes;
}

void QtUi::InformationBox(std::string_view text) {
  QWidget* parent = BeforeModal();
  QMessageBox box(QMessageBox::Information, FromCp1251(text::kInformationTitle), FromCp1251(text),
                  QMessageBox::Ok, parent);
  box.exec();
}

std::optional<std::string> QtUi::OpenDialog(const FileDialogOptions& options) {
  return RunFileDialog(BeforeModal(), options, false);
}

std::optional<std::string> QtUi::SaveDialog(const FileDialogOptions& options) {
  return RunFileDialog(BeforeModal(), options, true);
}

void QtUi::CloseWindow() {
  if (window_ != nullptr) window_->close();
}

void QtUi::RestoreAndRaise() {
  if (window_ != nullptr) window_->RestoreAndRaise();
}

void QtUi::FocusList(ListBox box) {
  if (window_ != nullptr) window_->List(box)->setFocus();
}

}  // namespace velk
