// «Параметры → Формат вывода…» as a user meets it, offscreen: the dialog shows
// the window's settings, «ОК» waits for an offset a file can state, and the
// chosen form reaches the logic, its settings file and the window's caption.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <memory>

#include "app/qt/comtrade_window.h"
#include "app/qt/output_dialog.h"
#include "tests/qt/wait.h"
#include "tests/support/fakes.h"

namespace velk::testing {
namespace {

TEST(OutputView, TheChosenFormReachesTheLogicAndTheCaption) {
  FormFixture f;
  f.form.RestoreLastFolders();
  ComtradeWindow window(f.form);
  window.ShowState();
  EXPECT_EQ(window.windowTitle(), "COMTRADE конвертер для ВЕЛК");
  bool ok_waited = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = dynamic_cast<OutputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    auto* revision = dialog->findChild<QComboBox*>("Revision");
    auto* encoding = dialog->findChild<QComboBox*>("Encoding");
    auto* time_code = dialog->findChild<QLineEdit*>("TimeCode");
    EXPECT_EQ(revision->currentIndex(), 0);
    EXPECT_FALSE(time_code->isEnabled());  // a 1999 file states no clock
    revision->setCurrentIndex(1);
    EXPECT_EQ(encoding->currentIndex(), 1);  // 2013 brings UTF-8
    time_code->setText("+25");
    QPushButton* ok = nullptr;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->isDefault()) ok = button;
    ASSERT_NE(ok, nullptr);
    ok_waited = !ok->isEnabled();
    time_code->setText("+03h00");
    dialog->findChild<QCheckBox*>("OneFile")->setChecked(true);
    ok->click();
  });
  window.MenuBar()->actions().value(2)->menu()->actions().value(0)->trigger();
  EXPECT_TRUE(ok_waited);
  EXPECT_EQ(f.form.output().revision, Revision::k2013);
  EXPECT_EQ(f.form.output().time_code, "+3");
  EXPECT_TRUE(f.form.output().one_file);
  EXPECT_TRUE(Exists(f.dir / "cmtrd.fmt"));
  EXPECT_EQ(window.windowTitle(), "COMTRADE конвертер для ВЕЛК [2013 utf-8 cff +3 F,3]");
}

}  // namespace
}  // namespace velk::testing
