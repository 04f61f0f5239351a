// «Формат вывода»: the revision, the encoding of the names, one .cff file a
// pair, and the device clock's offset from UTC that a revision 2013 file
// states. «ОК» is enabled only while the offset is one a file can state.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "app/output_settings.h"

namespace velk {

class OutputDialog : public QDialog {
 public:
  OutputDialog(const OutputSettings& settings, QWidget* parent);
  // What the dialog holds; the offset as a file writes it.
  OutputSettings Settings() const;

 private:
  void ShowFields();

  OutputSettings start_;
  QComboBox* revision_;
  QComboBox* encoding_;
  QCheckBox* one_file_;
  QLineEdit* time_code_;
  QPushButton* ok_;
};

}  // namespace velk
