// The main window's menu bar and the record viewer as a user meets them,
// offscreen: the menus above the unchanged client area, a viewer opened by a
// double click, F3 or the menu, and the viewer handing the wheel, drags and
// keys to its record's view just as calls straight to the logic would.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>

#include "app/qt/comtrade_window.h"
#include "app/qt/viewer_window.h"
#include "tests/qt/wait.h"
#include "tests/support/fakes.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

struct ViewerView : ::testing::Test {
  void SetUp() override {
    // The feeder's analog and discrete records of one moment, and a damaged one.
    for (const auto& [name, bytes] : ExampleRecords())
      if (name.starts_with("feeder")) WriteFile(f.system.current_directory + name, bytes);
    WriteFile(f.system.current_directory + "damaged.flh", "damaged");
    f.form.RestoreLastFolders();
    window = std::make_unique<ComtradeWindow>(f.form);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  QPoint RowCentre(ListBox box, const char* name) const {
    QListWidget* list = window->List(box);
    return list->visualItemRect(list->findItems(name, Qt::MatchExactly).value(0)).center();
  }
  void ClickRow(ListBox box, const char* name) const {
    QTest::mouseClick(window->List(box)->viewport(), Qt::LeftButton, {}, RowCentre(box, name));
  }
  QList<ViewerWindow*> Viewers() const { return window->findChildren<ViewerWindow*>(); }
  QAction* Item(int menu, int item) const {
    return window->MenuBar()->actions().value(menu)->menu()->actions().value(item);
  }

  FormFixture f;
  std::unique_ptr<ComtradeWindow> window;
};

// Each menu and its items: text, shortcut, and whether it can be chosen.
QStringList Described(const QMenuBar* bar) {
  QStringList lines;
  for (const QAction* menu : bar->actions()) {
    lines << menu->text();
    for (const QAction* item : menu->menu()->actions())
      if (!item->isSeparator())
        lines << item->text() + " " + item->shortcut().toString() +
                     (item->isEnabled() ? "" : " off");
  }
  return lines;
}

TEST_F(ViewerView, MenuBarStandsAboveTheUnchangedClientArea) {
  const QMenuBar* bar = window->MenuBar();
  EXPECT_EQ(Described(bar), QStringList({"&Файл", "Преобразовать &папку… Ctrl+Shift+O", "В&ыход ",
                                         "&Вид", "&Просмотр записи F3", "П&араметры",
                                         "&Формат вывода… ", "&Справка", "&О программе "}));
  ASSERT_GT(bar->height(), 0);
  EXPECT_EQ(window->ClientArea()->geometry(), QRect(0, bar->height(), 587, 494));
  EXPECT_EQ(window->size(), QSize(587, 494 + bar->height()));
  EXPECT_EQ(window->findChild<QWidget*>("CloseButton")->geometry(), QRect(248, 448, 97, 33));

  // Alt alone takes the keyboard to the first menu.
  QTest::keyPress(window.get(), Qt::Key_Alt, Qt::AltModifier);
  QTest::keyRelease(window.get(), Qt::Key_Alt, Qt::AltModifier);
  EXPECT_EQ(bar->activeAction(), bar->actions().value(0));
  QTest::keyClick(window.get(), Qt::Key_Escape);

  QString title, about;
  WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    about = box->text();
    box->accept();
  });
  Item(3, 0)->trigger();
  EXPECT_EQ(title, "О программе");
  EXPECT_EQ(about, FromCp1251(f.form.AboutText()));

  Item(0, 2)->trigger();  // «Выход» closes the window as «Завершить» does
  EXPECT_EQ(f.ui.actions, std::vector<std::string>({"close"}));
}

auto Shown(const RecordViewer& viewer) {
  const PictureView& view = viewer.view();
  return std::make_tuple(view.from_ms, view.to_ms, view.cursor_ms, view.primary);
}

void Wheel(QWidget* area, int x, int delta) {
  const QPointF at(x, area->height() / 2);
  QWheelEvent event(at, area->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(area, &event);
}

TEST_F(ViewerView, DoubleClickedRowOpensAViewerThatMovesAsItsLogicWould) {
  ClickRow(ListBox::kFileListBox1, "feeder_type60.flh");
  ClickRow(ListBox::kFileListBox2, "feeder_type60.txt");  // «Совместить»: both records
  const QPoint main_at = window->pos();
  QTest::mouseDClick(window->List(ListBox::kFileListBox1)->viewport(), Qt::LeftButton, {},
                     RowCentre(ListBox::kFileListBox1, "feeder_type60.flh"));
  ASSERT_EQ(Viewers().size(), 1);
  QPointer<ViewerWindow> shown = Viewers().first();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
  ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
  EXPECT_LT(shown->minimumWidth(), shown->maximumWidth());  // resizable
  EXPECT_EQ(window->pos(), main_at);                        // the main window stays

  // The same records, driven by direct calls at the drawing area's size.
  const std::unique_ptr<RecordViewer> direct = f.form.OpenViewer(ListBox::kFileListBox1);
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(shown->windowTitle(), FromCp1251(direct->Title()));
  EXPECT_EQ(shown->windowTitle(), "Просмотр записи — feeder_type60.flh + feeder_type60.txt");
  QWidget* area = shown->DrawingArea();
  direct->Resize(area->width(), area->height());
  const int y = area->height() / 2;
  const auto step = [&](const char* what, const std::function<void()>& send,
                        const std::function<void(RecordViewer&)>& call) {
    SCOPED_TRACE(what);
    const auto before = Shown(shown->viewer());
    send();
    call(*direct);
    EXPECT_NE(Shown(shown->viewer()), before);
    EXPECT_EQ(Shown(shown->viewer()), Shown(*direct));
  };
  step(
      "wheel", [&] { Wheel(area, 500, 240); }, [](RecordViewer& v) { v.Wheel(500, 2); });
  step(
      "drag",
      [&] {
        QTest::mousePress(area, Qt::LeftButton, {}, {450, y});
        QTest::mouseMove(area, {600, y});
      },
      [](RecordViewer& v) {
        v.Press(450, 100, PointerButton::kLeft, false);
        v.DragTo(600);
      });
  // Back to a pixel beside the press: still a drag, not a click that moves the cursor.
  step(
      "drag back",
      [&] {
        QTest::mouseRelease(area, Qt::LeftButton, {}, {452, y});
      },
      [](RecordViewer& v) { v.Release(452); });
  step(
      "click",
      [&] {
        QTest::mouseClick(area, Qt::LeftButton, {}, {700, y});
      },
      [](RecordViewer& v) {
        v.Press(700, 100, PointerButton::kLeft, false);
        v.Release(700);
      });
  step(
      "right", [&] { QTest::keyClick(area, Qt::Key_Right); },
      [](RecordViewer& v) { v.Key(ViewerKey::kRight, false); });
  step(
      "shift left", [&] { QTest::keyClick(area, Qt::Key_Left, Qt::ShiftModifier); },
      [](RecordViewer& v) { v.Key(ViewerKey::kLeft, true); });
  step(
      "shift right", [&] { QTest::keyClick(area, Qt::Key_Right, Qt::ShiftModifier); },
      [](RecordViewer& v) { v.Key(ViewerKey::kRight, true); });
  step(
      "home", [&] { QTest::keyClick(area, Qt::Key_Home); },
      [](RecordViewer& v) { v.Key(ViewerKey::kHome, false); });
  step(
      "primary",
      [&] { shown->findChild<QMenuBar*>()->actions()[0]->menu()->actions()[0]->trigger(); },
      [](RecordViewer& v) { v.SetPrimary(true); });

  // What is painted is the logic's scene: a wave's colour, which nothing else
  // of the scene has and no grey of smoothed text can be, is on the screen.
  const Scene scene = shown->viewer().Draw();
  std::vector<Colour> others{scene.background};
  for (const SceneRect& rect : scene.rects) others.push_back(rect.fill);
  for (const SceneText& text : scene.texts) others.push_back(text.colour);
  const auto wave = std::find_if(scene.lines.begin(), scene.lines.end(), [&](const auto& line) {
    const Colour& c = line.colour;
    return (c.r != c.g || c.g != c.b) && std::find(others.begin(), others.end(), c) == others.end();
  });
  ASSERT_NE(wave, scene.lines.end());
  const QImage painted = area->grab().toImage();
  int wave_pixels = 0;
  for (int py = 0; py < painted.height(); ++py)
    for (int px = 0; px < painted.width(); ++px)
      wave_pixels +=
          painted.pixelColor(px, py) == QColor(wave->colour.r, wave->colour.g, wave->colour.b);
  EXPECT_GT(wave_pixels, 0);

  QTest::keyClick(area, Qt::Key_Escape);  // closes the viewer and frees its record
  EXPECT_TRUE(WaitFor([&] { return shown.isNull(); }));
}

TEST_F(ViewerView, F3AndTheMenuOpenFromTheFocusedListAndADamagedRecordOpensNone) {
  // Records of two moments: nothing combined, the focused list's record is shown.
  WriteFile(f.system.current_directory + "other.txt", Cp("// 15 07 09:05:30\r\n\\\\ Пуск\r\n"));
  ASSERT_TRUE(WaitFor([&] { return window->List(ListBox::kFileListBox2)->count() == 2; }));
  ClickRow(ListBox::kFileListBox1, "feeder_type60.flh");
  ClickRow(ListBox::kFileListBox2, "other.txt");
  QTest::keyClick(window->List(ListBox::kFileListBox2), Qt::Key_F3);
  ASSERT_EQ(Viewers().size(), 1);
  EXPECT_EQ(Viewers()[0]->windowTitle(), "Просмотр записи — other.txt");

  // Another opening is another window.
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  Item(1, 0)->trigger();
  EXPECT_EQ(Viewers().size(), 2);

  // A record rewritten since its click fails the check the opening makes
  // again: no viewer, and its label says why.
  ClickRow(ListBox::kFileListBox1, "feeder_type60.flh");
  ASSERT_EQ(window->findChild<QLabel*>("DateLabel")->text(), "12.03.2024 14:27:05");
  WriteFile(f.system.current_directory + "feeder_type60.flh", "damaged");
  QTest::keyClick(window->List(ListBox::kFileListBox1), Qt::Key_F3);
  EXPECT_EQ(Viewers().size(), 2);
  EXPECT_EQ(window->findChild<QLabel*>("DateLabel")->text(), "Поврежден");
  EXPECT_FALSE(window->findChild<QPushButton*>("ConvertANLButton")->isEnabled());
}

}  // namespace
}  // namespace velk::testing
