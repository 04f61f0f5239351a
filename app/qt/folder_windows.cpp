#include "app/qt/folder_windows.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <utility>

#include "app/qt/qt_text.h"
#include "app/texts.h"

namespace velk {
namespace {

constexpr int kPollMs = 50;
constexpr int kFieldWidth = 360;
constexpr int kProgressLineWidth = 420;
constexpr QSize kSummarySize(640, 420);

QPushButton* ButtonOf(QDialogButtonBox* box, std::string_view caption,
                      QDialogButtonBox::ButtonRole role) {
  return box->addButton(FromCp1251(caption), role);
}

int Count(std::size_t n) {
  return static_cast<int>(std::min<std::size_t>(n, static_cast<std::size_t>(INT_MAX)));
}

}  // namespace

DesktopActions SystemDesktop() {
  return {[](QWidget* parent, const QString& start) {
            return QFileDialog::getExistingDirectory(parent, QString(), start);
          },
          [](const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); }};
}

std::string FolderPath(const QString& text) {
  return TypedFolder(ToPath(text));
}

// ---- the dialog ----

FolderDialog::FolderDialog(const FolderChoices& choices, const DesktopActions& desktop,
                           QWidget* parent)
    : QDialog(parent), desktop_(desktop) {
  setObjectName("FolderDialog");
  setWindowTitle(FromCp1251(text::kFolderDialogTitle));
  auto* grid = new QGridLayout(this);
  records_ = AddFolderRow(0, text::kRecordsFolderLabel, choices.records_folder);
  output_ = AddFolderRow(1, text::kOutputFolderLabel, choices.output_folder);
  records_->setObjectName("RecordsFolder");
  output_->setObjectName("OutputFolder");
  recursive_ = new QCheckBox(FromCp1251(text::kRecursiveBox), this);
  force_ = new QCheckBox(FromCp1251(text::kForceBox), this);
  recursive_->setChecked(choices.recursive);
  force_->setChecked(choices.force);
  grid->addWidget(recursive_, 2, 1, 1, 2);
  grid->addWidget(force_, 3, 1, 1, 2);
  auto* buttons = new QDialogButtonBox(this);
  start_ = ButtonOf(buttons, text::kStartButton, QDialogButtonBox::AcceptRole);
  ButtonOf(buttons, text::kCancelButton, QDialogButtonBox::RejectRole);
  start_->setDefault(true);  // Enter starts
  grid->addWidget(buttons, 4, 0, 1, 3);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  for (QLineEdit* field : {records_, output_})
    connect(field, &QLineEdit::textChanged, this, [this] { ShowStartEnabled(); });
  ShowStartEnabled();
  records_->setFocus();
}

// A label, the folder's field and «…», which opens the system's folder dialog
// at the field's folder and puts the folder chosen there into the field.
QLineEdit* FolderDialog::AddFolderRow(int row, std::string_view label, const std::string& folder) {
  auto* grid = static_cast<QGridLayout*>(layout());
  auto* field = new QLineEdit(FromPath(folder), this);
  field->setMinimumWidth(kFieldWidth);
  auto* caption = new QLabel(FromCp1251(label), this);
  caption->setBuddy(field);
  auto* browse = new QPushButton(FromCp1251(text::kBrowseButton), this);
  browse->setAutoDefault(false);  // Enter starts, wherever the focus is
  connect(browse, &QPushButton::clicked, this, [this, field] {
    const QString chosen = desktop_.choose_folder(this, field->text());
    if (!chosen.isEmpty()) field->setText(FromPath(FolderPath(chosen)));
  });
  grid->addWidget(caption, row, 0);
  grid->addWidget(field, row, 1);
  grid->addWidget(browse, row, 2);
  return field;
}

FolderChoices FolderDialog::Choices() const {
  FolderChoices choices;
  choices.records_folder = FolderPath(records_->text());
  choices.output_folder = FolderPath(output_->text());
  choices.recursive = recursive_->isChecked();
  choices.force = force_->isChecked();
  return choices;
}

void FolderDialog::ShowStartEnabled() {
  start_->setEnabled(Choices().CanStart());
}

// ---- the progress window ----

ProgressWindow::ProgressWindow(std::function<void()> cancel, QWidget* parent)
    : QWidget(parent, Qt::Window), cancel_(std::move(cancel)) {
  setObjectName("FolderProgress");
  setWindowTitle(FromCp1251(text::kProgressTitle));
  auto* column = new QVBoxLayout(this);
  bar_ = new QProgressBar(this);
  line_ = new QLabel(this);
  line_->setTextFormat(Qt::PlainText);
  line_->setFixedWidth(kProgressLineWidth);
  cancel_button_ = new QPushButton(FromCp1251(text::kCancelButton), this);
  connect(cancel_button_, &QPushButton::clicked, this, [this] { cancel_(); });
  column->addWidget(bar_);
  column->addWidget(line_);
  column->addWidget(cancel_button_, 0, Qt::AlignRight);
}

void ProgressWindow::Show(const FolderConversion::Status& status) {
  // Until the records are counted the bar shows only that the run is busy.
  bar_->setRange(0, Count(status.total));
  bar_->setValue(Count(status.done));
  const QString line = QString::fromStdString(FolderConversion::ProgressText(status));
  line_->setText(line_->fontMetrics().elidedText(line, Qt::ElideMiddle, kProgressLineWidth));
  cancel_button_->setEnabled(status.state == FolderConversion::State::kRunning);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
  cancel_();
  event->ignore();  // the window closes once the run has ended
}

// ---- the summary window ----

SummaryWindow::SummaryWindow(const QString& text, const QString& output_folder,
                             const DesktopActions& desktop, QWidget* parent)
    : QDialog(parent) {
  setObjectName("FolderSummary");
  setWindowTitle(FromCp1251(text::kSummaryTitle));
  resize(kSummarySize);
  auto* column = new QVBoxLayout(this);
  auto* summary = new QPlainTextEdit(text, this);
  summary->setReadOnly(true);
  summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  column->addWidget(summary);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* open = ButtonOf(buttons, text::kOpenOutputButton, QDialogButtonBox::ActionRole);
  QPushButton* copy = ButtonOf(buttons, text::kCopyButton, QDialogButtonBox::ActionRole);
  QPushButton* close = ButtonOf(buttons, text::kCloseSummaryButton, QDialogButtonBox::RejectRole);
  close->setDefault(true);
  column->addWidget(buttons);
  connect(open, &QPushButton::clicked, this,
          [desktop, output_folder] { desktop.open_folder(output_folder); });
  connect(copy, &QPushButton::clicked, this,
          [text] { QGuiApplication::clipboard()->setText(text); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

// ---- from the dialog to the summary ----

FolderRun::FolderRun(TFComtrade& form, QWidget* window, std::function<void()> show_state)
    : QObject(window),
      form_(form),
      window_(window),
      show_state_(std::move(show_state)),
      desktop_(SystemDesktop()),
      poll_timer_(new QTimer(this)) {
  poll_timer_->setInterval(kPollMs);
  connect(poll_timer_, &QTimer::timeout, this, [this] { Poll(); });
}

// While a run is under way its progress window comes to the front; a summary
// still open stays until the next run starts.
void FolderRun::OpenDialog(const std::string& records_folder) {
  QWidget* under_way = form_.controls.FolderConversionRunning ? progress_.data() : dialog_.data();
  if (under_way != nullptr && under_way->isVisible()) {
    under_way->raise();
    under_way->activateWindow();
    return;
  }
  auto* dialog = new FolderDialog(form_.FolderChoicesFor(records_folder), desktop_, window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] { Start(dialog->Choices()); });
  dialog_ = dialog;
  dialog->open();
}

void FolderRun::Start(const FolderChoices& choices) {
  const bool started = form_.StartFolderConversion(choices);
  show_state_();
  if (!started) return;
  if (summary_ != nullptr) summary_->close();  // the run before has been seen
  progress_ = new ProgressWindow([this] { form_.CancelFolderConversion(); }, window_);
  progress_->Show(form_.PollFolderConversion().status);
  progress_->show();
  poll_timer_->start();
}

void FolderRun::Poll() {
  const FolderRunProgress progress = form_.PollFolderConversion();
  if (!progress.finished) {
    if (progress_ != nullptr) progress_->Show(progress.status);
    return;
  }
  poll_timer_->stop();
  show_state_();
  if (progress_ != nullptr) progress_->deleteLater();
  auto* summary = new SummaryWindow(QString::fromStdString(progress.summary),
                                    FromPath(progress.output_folder), desktop_, window_);
  summary->setAttribute(Qt::WA_DeleteOnClose);
  connect(summary, &QDialog::finished, this, [this] {
    form_.FolderSummaryClosed();
    show_state_();
  });
  summary_ = summary;
  summary->show();
}

}  // namespace velk
