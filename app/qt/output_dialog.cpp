#include "app/qt/output_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

#include "app/qt/comtrade_window.h"
#include "app/texts.h"

namespace velk {

OutputDialog::OutputDialog(const OutputSettings& settings, QWidget* parent)
    : QDialog(parent), start_(settings) {
  setObjectName("OutputDialog");
  setWindowTitle(FromCp1251(text::kOutputFormTitle));
  auto* form = new QFormLayout(this);
  revision_ = new QComboBox(this);
  revision_->setObjectName("Revision");
  revision_->addItems({FromCp1251(text::kRevision1999), FromCp1251(text::kRevision2013)});
  revision_->setCurrentIndex(settings.revision == Revision::k2013 ? 1 : 0);
  encoding_ = new QComboBox(this);
  encoding_->setObjectName("Encoding");
  encoding_->addItems({FromCp1251(text::kEncodingCp1251), FromCp1251(text::kEncodingUtf8)});
  encoding_->setCurrentIndex(settings.encoding == TextEncoding::kUtf8 ? 1 : 0);
  one_file_ = new QCheckBox(FromCp1251(text::kOneFileBox), this);
  one_file_->setObjectName("OneFile");
  one_file_->setChecked(settings.one_file);
  time_code_ = new QLineEdit(QString::fromStdString(settings.time_code), this);
  time_code_->setObjectName("TimeCode");
  time_code_->setMaxLength(8);
  form->addRow(FromCp1251(text::kRevisionLabel), revision_);
  form->addRow(FromCp1251(text::kEncodingLabel), encoding_);
  form->addRow(QString(), one_file_);
  form->addRow(FromCp1251(text::kTimeCodeLabel), time_code_);
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(FromCp1251(text::kOkButton), QDialogButtonBox::AcceptRole);
  buttons->addButton(FromCp1251(text::kCancelButton), QDialogButtonBox::RejectRole);
  ok_->setDefault(true);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // Each revision brings its own encoding; the user may still choose the other.
  connect(revision_, &QComboBox::currentIndexChanged, this, [this](int index) {
    encoding_->setCurrentIndex(index == 1 ? 1 : 0);
    ShowFields();
  });
  connect(time_code_, &QLineEdit::textChanged, this, [this] { ShowFields(); });
  ShowFields();
}

OutputSettings OutputDialog::Settings() const {
  OutputSettings settings = start_;
  settings.revision = revision_->currentIndex() == 1 ? Revision::k2013 : Revision::k1999;
  settings.encoding = encoding_->currentIndex() == 1 ? TextEncoding::kUtf8 : TextEncoding::kCp1251;
  settings.one_file = one_file_->isChecked();
  if (const auto code = TimeCodeText(time_code_->text().trimmed().toStdString()))
    settings.time_code = *code;
  return settings;
}

// The offset matters to a revision 2013 file only.
void OutputDialog::ShowFields() {
  const bool newer = revision_->currentIndex() == 1;
  time_code_->setEnabled(newer);
  ok_->setEnabled(!newer || TimeCodeText(time_code_->text().trimmed().toStdString()).has_value());
}

}  // namespace velk
