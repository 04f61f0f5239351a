// The main window's menu bar and the record viewer as a user meets them,
// offscreen: the menus above the unchanged client area, a viewer opened by a
// double click, F3, the menu or a dropped COMTRADE record, the viewer handing
// the wheel, clicks, drags and keys to its record's view just as calls
// straight to the logic would, its panes following the cursors, the band's
// menu, and the view kept as picture files and on a printed page.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <memory>
#include <tuple>

#include "app/qt/comtrade_window.h"
#include "app/qt/viewer_window.h"
#include "app/view_layout.h"
#include "picture/comtrade_source.h"
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
  // The viewer of the feeder's analog and discrete records together, as a
  // double click opens it.
  ViewerWindow* OpenCombined() const {
    ClickRow(ListBox::kFileListBox1, "feeder_type60.flh");
    ClickRow(ListBox::kFileListBox2, "feeder_type60.txt");
    QTest::mouseDClick(window->List(ListBox::kFileListBox1)->viewport(), Qt::LeftButton, {},
                       RowCentre(ListBox::kFileListBox1, "feeder_type60.flh"));
    if (Viewers().size() != 1) return nullptr;
    ViewerWindow* shown = Viewers().first();
    if (!QTest::qWaitForWindowExposed(shown)) return nullptr;
    return shown;
  }
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
  EXPECT_EQ(Described(bar),
            QStringList({"&Файл", "&Открыть запись… Ctrl+O", "Преобразовать &папку… Ctrl+Shift+O",
                         "В&ыход ", "&Вид", "&Просмотр записи F3", "П&араметры", "&Формат вывода… ",
                         "&Справка", "&О программе "}));
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
  EXPECT_EQ(about, FromUtf8(f.form.AboutText()));

  Item(0, 3)->trigger();  // «Выход» closes the window as «Завершить» does
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
  EXPECT_EQ(shown->windowTitle(), FromUtf8(direct->Title()));
  EXPECT_EQ(shown->windowTitle(), "Просмотр записи — feeder_type60.flh + feeder_type60.txt");
  QWidget* area = shown->DrawingArea();
  direct->Resize(area->width(), area->height());
  const int y = area->height() / 2;
  // A click inside the plot, three quarters across it.
  const int click_x = static_cast<int>(PlotLeft(shown->viewer().view()) * 0.25f +
                                       PlotRight(shown->viewer().view()) * 0.75f);
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
        QTest::mouseClick(area, Qt::LeftButton, {}, {click_x, y});
      },
      [click_x](RecordViewer& v) {
        v.Press(click_x, 100, PointerButton::kLeft, false);
        v.Release(click_x);
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
      [&] { shown->findChild<QMenuBar*>()->actions()[1]->menu()->actions()[0]->trigger(); },
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

// A click of button at x, y of the drawing area, with modifiers.
void ClickArea(QWidget* area, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
               int y) {
  QTest::mouseClick(area, button, modifiers, {x, y});
}

// The first row of pixels from the top of the drawing area that lies over
// a band of the kind; -1 when there is none.
int RowOver(const RecordViewer& viewer, BandUnder::Kind kind, int height) {
  for (int y = 0; y < height; ++y)
    if (viewer.BandAt(y).kind == kind) return y;
  return -1;
}

TEST_F(ViewerView, CursorsAndEventsFollowTheMouseAndKeysInEveryPane) {
  ViewerWindow* shown = OpenCombined();
  ASSERT_NE(shown, nullptr);
  const RecordViewer& viewer = shown->viewer();
  QWidget* area = shown->DrawingArea();
  const int y = area->height() / 2;
  const int left = static_cast<int>(PlotLeft(viewer.view())) + 20;
  const int right = static_cast<int>(PlotRight(viewer.view())) - 20;

  ClickArea(area, Qt::LeftButton, {}, left, y);
  ASSERT_TRUE(viewer.cursor_a());
  const double a = *viewer.cursor_a();
  EXPECT_FALSE(viewer.cursor_b());
  const QImage readout_a = shown->Readout()->grab().toImage();

  // Shift+left puts B and leaves A; the readout pane shows the pair.
  ClickArea(area, Qt::LeftButton, Qt::ShiftModifier, (left + right) / 2, y);
  ASSERT_TRUE(viewer.cursor_b());
  const double b = *viewer.cursor_b();
  EXPECT_GT(b, a);
  EXPECT_EQ(viewer.cursor_a(), a);
  const QImage readout_ab = shown->Readout()->grab().toImage();
  EXPECT_NE(readout_ab, readout_a);
  EXPECT_GE(shown->Readout()->height(), viewer.DrawReadout(shown->Readout()->width()).height);

  // The right button over the plot moves B too.
  ClickArea(area, Qt::RightButton, {}, right, y);
  ASSERT_TRUE(viewer.cursor_b());
  EXPECT_GT(*viewer.cursor_b(), b);
  EXPECT_EQ(viewer.cursor_a(), a);
  EXPECT_NE(shown->Readout()->grab().toImage(), readout_ab);

  // Ctrl+Right and Ctrl+Left step A through the discrete record's changes;
  // the events list selects the change A stands on.
  QListWidget* events = shown->EventsList();
  ASSERT_EQ(events->count(), static_cast<int>(viewer.events().size()));
  ASSERT_GE(events->count(), 2);
  QTest::keyClick(area, Qt::Key_Home);
  ClickArea(area, Qt::LeftButton, {}, static_cast<int>(PlotLeft(viewer.view())) + 1, y);
  std::vector<int> rows;
  for (int i = 0; i < 2; ++i) {
    QTest::keyClick(area, Qt::Key_Right, Qt::ControlModifier);
    ASSERT_TRUE(viewer.current_event());
    EXPECT_EQ(viewer.cursor_a(), viewer.events()[*viewer.current_event()].time_ms);
    EXPECT_EQ(events->currentRow(), static_cast<int>(*viewer.current_event()));
    EXPECT_TRUE(events->currentItem()->isSelected());
    rows.push_back(events->currentRow());
  }
  EXPECT_LT(rows[0], rows[1]);
  QTest::keyClick(area, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(events->currentRow(), rows[0]);
  // A click on a row puts A on its change.
  const int last = events->count() - 1;
  QTest::mouseClick(events->viewport(), Qt::LeftButton, {},
                    events->visualItemRect(events->item(last)).center());
  EXPECT_EQ(viewer.cursor_a(), viewer.events()[static_cast<std::size_t>(last)].time_ms);
  EXPECT_EQ(events->currentRow(), last);
  // With the list's focus, Ctrl+Left still steps A back through the changes.
  QTest::keyClick(events, Qt::Key_Left, Qt::ControlModifier);
  ASSERT_TRUE(viewer.cursor_a());
  EXPECT_LT(*viewer.cursor_a(), viewer.events()[static_cast<std::size_t>(last)].time_ms);
  EXPECT_LT(events->currentRow(), last);
  // «Векторная диаграмма» hides and shows the phasor pane.
  QAction* phasors = shown->findChild<QMenuBar*>()->actions()[1]->menu()->actions().value(5);
  ASSERT_EQ(phasors->text(), "Векторная &диаграмма");
  phasors->trigger();
  EXPECT_FALSE(viewer.phasor_pane());
  EXPECT_FALSE(shown->Phasors()->isVisible());
  phasors->trigger();
  EXPECT_TRUE(shown->Phasors()->isVisible());
}

TEST_F(ViewerView, TheViewIsKeptAsPngSvgAndAPrintedPageOrSaysWhyNot) {
  ViewerWindow* shown = OpenCombined();
  ASSERT_NE(shown, nullptr);
  QWidget* area = shown->DrawingArea();
  ClickArea(area, Qt::LeftButton, {}, area->width() / 2, area->height() / 2);
  const QTemporaryDir folder;
  const QString png = folder.filePath("view.png"), svg = folder.filePath("view.svg");

  EXPECT_EQ(shown->SavePicture(png, 0), std::nullopt);
  const QImage saved(png);
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), area->size());  // the window's width, and its proportion
  EXPECT_EQ(saved, area->grab().toImage().convertToFormat(saved.format()));

  EXPECT_EQ(shown->SavePicture(svg, 1600), std::nullopt);
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.contains("<svg")) << text.left(200).toStdString();
  EXPECT_TRUE(text.contains("width=\"1600\""));
  EXPECT_TRUE(text.trimmed().endsWith("</svg>"));

  // Into a folder that is not there: nothing written, and the reason.
  for (const char* name : {"missing/view.png", "missing/view.svg"}) {
    const auto reason = shown->SavePicture(folder.filePath(name), 0);
    ASSERT_TRUE(reason) << name;
    EXPECT_FALSE(reason->isEmpty());
    EXPECT_FALSE(QFile::exists(folder.filePath(name)));
  }

  QPrinter printer(QPrinter::ScreenResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setOutputFileName(folder.filePath("page.pdf"));
  ASSERT_TRUE(shown->Print(printer));
  QFile page(folder.filePath("page.pdf"));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.read(5) == "%PDF-");
  EXPECT_GT(page.size(), 1000);
}

TEST_F(ViewerView, ADroppedComtradeRecordOpensItsViewerBesideTheMainWindow) {
  // A three-phase pair of our own: one cycle of 50 Hz at 1 kHz, the first
  // channel's name longer than its column, names in letters code page 1251
  // lacks.
  std::string long_name;
  for (int i = 0; i < 79; ++i) long_name += "Ω";
  std::string dat;
  for (int i = 0; i < 40; ++i)
    dat += std::to_string(i + 1) + "," + std::to_string(i * 1000) + "," +
           std::to_string(100 * (i % 20)) + "," + std::to_string(-50 * (i % 20)) + "," +
           std::to_string(-50 * (i % 20)) + "," + (i > 20 ? "1" : "0") + "\r\n";
  const std::string folder = f.system.current_directory;
  WriteFile(folder + "bay.dat", dat);
  WriteFile(folder + "bay.cfg",
            "Substation,Bay relay,1999\r\n4,3A,1D\r\n"
            "1," +
                long_name +
                ",A,Line,A,0.01,0,0,-32767,32767,1,1,S\r\n"
                "2,IB,B,Line,A,0.01,0,0,-32767,32767,1,1,S\r\n"
                "3,IC,C,Line,A,0.01,0,0,-32767,32767,1,1,S\r\n"
                "1,跳闸 ΔI,,,0\r\n50\r\n1\r\n1000,40\r\n"
                "01/01/2024,10:00:00.000000\r\n01/01/2024,10:00:00.020000\r\nASCII\r\n1\r\n");
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(FromPath(folder + "bay.cfg"))});
  const QPoint at = window->ClientArea()->geometry().center();
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
  QApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, {});
  QApplication::sendEvent(window.get(), &drop);
  delete data;

  ASSERT_EQ(Viewers().size(), 1);
  ViewerWindow* shown = Viewers().first();
  EXPECT_EQ(shown->windowTitle(), "Просмотр записи — bay.cfg");
  EXPECT_EQ(shown->viewer().picture().channels().size(), 3u);
  ASSERT_EQ(shown->EventsList()->count(), 1);
  EXPECT_EQ(shown->EventsList()->item(0)->text(), "21.00 мс  跳闸 ΔI  сработал");
  // Beside the main window on its screen, its top with the window's top; it
  // never opens over the window's corner as before.
  const QRect main = window->frameGeometry(), work = window->screen()->availableGeometry();
  const QRect placed = shown->frameGeometry();
  EXPECT_TRUE(work.contains(placed.topLeft()));
  EXPECT_NE(placed.topLeft(), main.topLeft());
  const layout::Point expected = layout::PlaceBeside(
      {work.x(), work.y(), work.width(), work.height()},
      {main.x(), main.y(), main.width(), main.height()}, shown->width() + 16, shown->height() + 40);
  EXPECT_EQ(placed.topLeft(), QPoint(expected.x, expected.y));
  // The name cut short in its column is shown whole under the pointer.
  QWidget* area = shown->DrawingArea();
  const Scene scene = shown->viewer().Draw();
  const auto cut = std::find_if(scene.texts.begin(), scene.texts.end(),
                                [](const SceneText& text) { return !text.whole.empty(); });
  ASSERT_NE(cut, scene.texts.end());
  EXPECT_EQ(cut->whole, long_name);
  const QPoint over(static_cast<int>(cut->x) + 4, static_cast<int>(cut->y) - 3);
  QHelpEvent help(QEvent::ToolTip, over, area->mapToGlobal(over));
  QApplication::sendEvent(area, &help);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QString::fromStdString(long_name));
  QToolTip::hideText();
  // «Файл → Открыть запись…» of the viewer offers records of both kinds.
  QStringList filters;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    dialog->reject();
  });
  QAction* open = shown->findChild<QMenuBar*>()->actions()[0]->menu()->actions().value(0);
  EXPECT_EQ(open->shortcut(), QKeySequence(QKeySequence::Open));
  open->trigger();
  EXPECT_EQ(filters, QStringList({"Записи ВЕЛК и COMTRADE (*.flh *.txt *.cfg *.cff)",
                                  "COMTRADE (*.cfg *.cff)", "Все файлы (*.*)"}));
  EXPECT_EQ(Viewers().size(), 1);  // cancelled: nothing more opened
  // No list of the main window took the COMTRADE file as a record.
  EXPECT_EQ(window->List(ListBox::kFileListBox1)->findItems("bay.cfg", Qt::MatchExactly).size(), 0);
}

TEST_F(ViewerView, TheBandMenuCtrlWheelAndTheChannelsDialogShapeTheBands) {
  ViewerWindow* shown = OpenCombined();
  ASSERT_NE(shown, nullptr);
  const RecordViewer& viewer = shown->viewer();
  QWidget* area = shown->DrawingArea();
  ClickArea(area, Qt::RightButton, {}, static_cast<int>(PlotRight(viewer.view())) - 5,
            area->height() / 2);  // cursor B, which the names column leaves

  // The band's menu from a right click over the names column hides the
  // channel, makes it the angles' reference, and shows all again.
  const int band_y = RowOver(viewer, BandUnder::Kind::kChannel, area->height());
  ASSERT_GE(band_y, 0) << "no channel's band in the picture";
  const BandUnder band = viewer.BandAt(band_y);
  const QImage before = area->grab().toImage();
  ClickArea(area, Qt::RightButton, {}, 10, band_y);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(viewer.cursor_b());  // the names column puts no cursor
  QStringList items;
  for (const QAction* item : menu->actions())
    if (!item->isSeparator()) items << item->text();
  EXPECT_EQ(items, QStringList({"&Скрыть канал", "&Опорный для углов", "Показать &все каналы"}));
  menu->actions().value(0)->trigger();
  menu->close();
  EXPECT_FALSE(viewer.channel_shown(band.index));
  EXPECT_NE(area->grab().toImage(), before);
  shown->BandMenu(RowOver(viewer, BandUnder::Kind::kChannel, area->height()))
      ->actions()
      .value(1)
      ->trigger();
  EXPECT_NE(viewer.reference(), band.index);  // the band now under that row is another channel
  shown->BandMenu(band_y)->actions().value(3)->trigger();
  EXPECT_TRUE(viewer.channel_shown(band.index));
  EXPECT_EQ(area->grab().toImage(), before);

  // Ctrl+wheel over the band draws its values larger; a plain wheel zooms.
  const auto span = [&] { return viewer.view().to_ms - viewer.view().from_ms; };
  const double whole = span();
  const auto ctrl_wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
    const QPointF at(PlotLeft(viewer.view()) + 30, band_y);
    QWheelEvent event(at, area->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(area, &event);
  };
  ctrl_wheel(240, Qt::ControlModifier);
  EXPECT_EQ(span(), whole);
  ASSERT_GT(viewer.view().band_gains.size(), static_cast<std::size_t>(band.index));
  EXPECT_GT(viewer.view().band_gains[static_cast<std::size_t>(band.index)], 1.0);
  EXPECT_NE(area->grab().toImage(), before);
  ctrl_wheel(240, Qt::NoModifier);
  EXPECT_LT(span(), whole);

  // «Каналы…» lists the channels, then the signals, ticked while shown.
  const int channels = static_cast<int>(viewer.picture().channels().size());
  int rows = 0;
  WhenModal([&](QWidget* modal) {
    auto* list = modal->findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    rows = list->count();
    list->item(0)->setCheckState(Qt::Unchecked);
    list->item(channels)->setCheckState(Qt::Unchecked);
    static_cast<QDialog*>(modal)->accept();
  });
  QAction* dialog = shown->findChild<QMenuBar*>()->actions()[1]->menu()->actions().value(3);
  ASSERT_EQ(dialog->text(), "&Каналы…");
  dialog->trigger();
  EXPECT_EQ(rows, channels + static_cast<int>(viewer.picture().discrete_signals().size()));
  EXPECT_FALSE(viewer.channel_shown(0));
  EXPECT_TRUE(viewer.channel_shown(1));
  EXPECT_FALSE(viewer.signal_shown(0));
  EXPECT_TRUE(viewer.signal_shown(1));
}

// Counts the paints a widget receives.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
};

TEST_F(ViewerView, ARecordRewrittenWhileShownIsMarkedWithoutAnyInput) {
  ViewerWindow* shown = OpenCombined();
  ASSERT_NE(shown, nullptr);
  QWidget* area = shown->DrawingArea();
  const QImage before = area->grab().toImage();
  PaintCounter counter;
  area->installEventFilter(&counter);
  QTest::qWait(50);
  const int painted = counter.paints;
  WriteFile(f.system.current_directory + "feeder_type60.flh", "rewritten");
  // The area paints again by itself once the change is found, and shows it.
  EXPECT_TRUE(WaitFor([&] { return counter.paints > painted; }, 3000));
  area->removeEventFilter(&counter);
  EXPECT_NE(area->grab().toImage(), before);
}

// A relay's record of 616 bands: the scroll bar beside the picture, Page
// Down and the wheel over the names reach the last of them, the picture
// showing what the logic lays out; «Каналы…» ticks all, none, or the
// signals that change.
TEST_F(ViewerView, ManyBandsScrollAndTheChannelsDialogChoosesThemByKind) {
  ComtradePicture opened =
      OpenComtradePicture(std::string(VELK_SOURCE_DIR) +
                          "/tests/data/comtrade-samples/tshort-COMTRADE.jl/1991-ascii-sel.cfg");
  ASSERT_TRUE(opened.picture);
  auto* shown =
      new ViewerWindow(std::make_unique<RecordViewer>(std::move(opened.picture)), window.get());
  shown->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
  const RecordViewer& viewer = shown->viewer();
  QWidget* area = shown->DrawingArea();
  QScrollBar* bar = shown->BandScrollBar();
  ASSERT_TRUE(bar->isVisible());
  EXPECT_EQ(viewer.view().height, area->height());
  EXPECT_EQ(bar->maximum(), viewer.band_scroll().last_first);
  EXPECT_EQ(bar->geometry().left(), area->geometry().right() + 1);

  const QImage top = area->grab().toImage();
  area->setFocus();
  const int page = viewer.band_scroll().fitting - 1;  // a page keeps the last band in view
  QTest::keyClick(area, Qt::Key_PageDown);
  EXPECT_EQ(viewer.band_scroll().first, page);
  EXPECT_EQ(bar->value(), page);
  EXPECT_NE(area->grab().toImage(), top);
  Wheel(area, 20, -120);  // over the names: three bands down
  EXPECT_EQ(bar->value(), page + 3);
  bar->setValue(bar->maximum());
  EXPECT_EQ(viewer.band_scroll().first, viewer.band_scroll().last_first);
  int lowest = -1;
  for (int y = 0; y < area->height(); ++y)
    if (viewer.BandAt(y).kind == BandUnder::Kind::kSignal)
      lowest = std::max(lowest, viewer.BandAt(y).index);
  EXPECT_EQ(lowest, 591);
  QTest::keyClick(area, Qt::Key_PageUp);
  EXPECT_LT(bar->value(), bar->maximum());

  const auto choose = [&](const char* button) {
    std::vector<bool> ticks;
    WhenModal([&](QWidget* modal) {
      auto* list = modal->findChild<QListWidget*>();
      auto* pressed = modal->findChild<QPushButton*>(button);
      ASSERT_TRUE(list && pressed);
      pressed->click();
      for (int i = 0; i < list->count(); ++i)
        ticks.push_back(list->item(i)->checkState() == Qt::Checked);
      static_cast<QDialog*>(modal)->accept();
    });
    shown->findChild<QMenuBar*>()->actions()[1]->menu()->actions().value(3)->trigger();
    return ticks;
  };
  const std::vector<bool> none = choose("NoChannels");
  EXPECT_EQ(std::count(none.begin(), none.end(), true), 0);
  EXPECT_FALSE(bar->isVisible());  // nothing left to scroll
  const std::vector<bool> changing = choose("ChangingSignals");
  EXPECT_EQ(std::count(changing.begin(), changing.end(), true), 75);  // no channel: none were
  EXPECT_EQ(viewer.band_scroll().shown, 75);
  EXPECT_TRUE(viewer.signal_shown(1));  // TRP, the trip, changes
  const std::vector<bool> all = choose("AllChannels");
  EXPECT_EQ(std::count(all.begin(), all.end(), true), 616);
  EXPECT_TRUE(bar->isVisible());
  shown->close();
}

}  // namespace
}  // namespace velk::testing
