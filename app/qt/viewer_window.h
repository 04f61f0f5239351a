// The record viewer as a Qt window: a thin view over RecordViewer.
//
// The drawing area paints the scene the logic draws at the area's size and
// forwards its size, the wheel (with Ctrl: the band under the pointer drawn
// larger), the buttons' presses, drags and releases (left: cursor A;
// Shift+left or right: cursor B; right over the names column: the band's
// menu) and the keys (Left, Right, Ctrl+Left, Ctrl+Right, Page Up, Page
// Down); a scroll bar at its right scrolls the bands. Beside it stand
// the events list, the readout of both cursors and the phasor diagram, each
// painted from the logic's scenes. The menus set the logic's modes, choose
// the shown channels, keep the view as a picture file or on paper and open
// further records. After each forwarded event every pane paints again; it
// decides nothing itself.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/record_viewer.h"
#include "picture/scene.h"

class QListWidget;
class QMenu;
class QMenuBar;
class QPainter;
class QPrinter;
class QScrollArea;
class QScrollBar;
class QSplitter;

namespace velk {

class ViewerWindow : public QWidget {
  Q_OBJECT

 public:
  // Opens a record file (.flh, .txt, .cfg, .cff) in a viewer of its own.
  using OpenRecord = std::function<void(const std::string& path)>;

  // A resizable window over owner (which keeps it in front of itself and ends
  // with it). The window owns viewer and frees it when it is closed.
  // «Файл → Открыть запись…» hands the chosen file to open_record (the item
  // is left out without one).
  ViewerWindow(std::unique_ptr<RecordViewer> viewer, QWidget* owner, OpenRecord open_record = {});
  ~ViewerWindow() override;

  const RecordViewer& viewer() const { return *viewer_; }
  QWidget* DrawingArea() const { return drawing_area_; }
  // Beside the drawing area where its bands do not all fit.
  QScrollBar* BandScrollBar() const { return band_scroll_; }
  QListWidget* EventsList() const { return events_; }
  QWidget* Readout() const { return readout_; }
  QWidget* Phasors() const { return phasors_; }
  // The band's menu for the row of pixels y of the drawing area, as a right
  // click over the names column opens it (deleted when it closes).
  QMenu* BandMenu(double y);

  // Writes the view as a picture file: SVG for a path ending in ".svg", else
  // PNG; width pixels wide (0: the drawing area's width). The reason when it
  // could not be written.
  std::optional<QString> SavePicture(const QString& path, int width) const;
  // Paints the page of the view, title and readout on printer.
  bool Print(QPrinter& printer) const;
  // Makes every pane show the logic's state.
  void Refresh();

  // The size a viewer opens at, when the screen has room for it.
  static constexpr QSize kOpeningSize{1000, 640};

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMenuBar* MakeMenuBar();
  void AskToSavePicture();
  void AskToPrint();
  void ChooseChannels();
  void ShowEvents();
  void ShowBandScroll();

  std::unique_ptr<RecordViewer> viewer_;
  OpenRecord open_record_;
  QSplitter* splitter_;
  QWidget* drawing_area_;
  QScrollBar* band_scroll_ = nullptr;
  QWidget* side_;
  QListWidget* events_;
  QScrollArea* readout_scroll_;
  QWidget* readout_;
  QWidget* phasors_ = nullptr;     // the last pane made: none before it is there
  std::size_t listed_events_ = 0;  // rows the events list was filled with
  bool listed_clock_ = false;      // and the time mode of their texts
};

// Paints a scene: its background, then its rectangles, lines and texts.
void PaintScene(QPainter& painter, const Scene& scene);

// The toolkit's file dialog filter ("Описание (*.a *.b);;…") for a filter of
// the form "Описание (*.a, *.b)|*.a;*.b|…" (code page 1251).
QString DialogFilterOf(std::string_view filter);
// «Открыть запись…»: the record chosen in a file dialog over parent, or
// nothing when the dialog was cancelled.
std::optional<std::string> AskRecordToOpen(QWidget* parent);

}  // namespace velk
