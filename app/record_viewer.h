// The viewer window as a plain object: the picture of one record (or of the
// pair «Совместить» would combine), what part of it is shown, the cursor, and
// what mouse and keys do to them. A view draws Draw()'s scene and forwards its
// size, the wheel, presses, drags and keys.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/file_stamp.h"
#include "picture/analysis.h"
#include "picture/record_picture.h"
#include "picture/scene.h"

namespace velk {

// Left and Right move cursor A; with Ctrl (kPreviousChange, kNextChange) it
// jumps to the previous or the next change of a discrete signal. Page Up and
// Page Down scroll the bands by what the view holds.
enum class ViewerKey { kLeft, kRight, kHome, kPreviousChange, kNextChange, kPageUp, kPageDown };
enum class PointerButton { kLeft, kRight };

// What lies under a row of pixels of the drawing area: an analog channel's
// band or a discrete signal's row (index into the picture's channels or
// signals), for the band's context menu and Ctrl+wheel.
struct BandUnder {
  enum class Kind { kNone, kChannel, kSignal };
  Kind kind = Kind::kNone;
  int index = -1;
};

// One change of a discrete signal, as the events list beside the picture
// shows it, in time order.
struct ViewerEvent {
  double time_ms = 0;
  int signal = 0;
  bool picked_up = false;
  // The list's row (UTF-8): the time as the view shows times, the
  // signal's name and whether it picked up or dropped out.
  std::string text;
};

class RecordViewer {
 public:
  explicit RecordViewer(std::unique_ptr<RecordPicture> picture);

  // The window's title (UTF-8): "Просмотр записи — " and the records' names.
  std::string Title() const;

  // The drawing area's size in pixels; the shown times stay.
  void Resize(int width, int height);
  // The wheel turned by notches (positive away from the user: closer) with the
  // pointer at pixel column x: the time under the pointer stays where it is.
  // Over the names' column it scrolls the bands instead (away from the user:
  // up), three a notch.
  void Wheel(double x, double notches);
  // Where the bands do not all fit: which of them the view shows (the
  // scroll bar's position, range and page), scrolled by some bands (positive:
  // down) or to the first one shown.
  BandScroll band_scroll() const;
  void ScrollBands(int bands);
  void ScrollBandsTo(int first);
  // A button pressed at x, y: a drag with the left button pans from here;
  // released where it was pressed, the left button puts cursor A at x,
  // Shift+left or the right button cursor B.
  void Press(double x, double y, PointerButton button, bool shift);
  void DragTo(double x);
  void Release(double x);
  // Ctrl+wheel over the band at y: its values drawn larger (notches > 0) or
  // smaller.
  void EnlargeBand(double y, double notches);
  // Left and right move cursor A by one sample, with shift by one cycle of the
  // record's line frequency, and keep it in view; Ctrl+Left and Ctrl+Right
  // jump to the previous and the next change; Home shows the whole record.
  void Key(ViewerKey key, bool shift);
  // The screen's pixels per point of the picture's layout (1.25 at 120 dpi).
  void SetScale(float scale);
  // Secondary values or primary ones (a channel's values taken from the
  // side its file gives by its ratio, in that side's unit). The viewer opens
  // on the side the record's file gives (FileSidePrimary).
  void SetPrimary(bool primary);
  bool primary() const { return view_.primary; }
  // Times as milliseconds from the first sample, or as the clock time (the
  // start moment plus the offset).
  void SetClockTime(bool clock);
  bool clock_time() const;
  // Each band's scale fitted to the values in view, or to the whole record's.
  void SetFitToView(bool fit);
  bool fit_to_view() const;
  // The phasor diagram's pane shown or hidden.
  void SetPhasorPane(bool shown);
  bool phasor_pane() const;

  // Channels and signals hidden or shown («Вид → Каналы…», a band's menu).
  BandUnder BandAt(double y) const;
  void SetChannelShown(int channel, bool shown);
  bool channel_shown(int channel) const;
  void SetSignalShown(int signal, bool shown);
  bool signal_shown(int signal) const;
  // The channel the phasors' angles are measured from (the first by default).
  void SetReference(int channel);
  int reference() const;

  // The discrete signals' changes; a pick puts cursor A on one.
  const std::vector<ViewerEvent>& events() const;
  void PickEvent(std::size_t index);
  // The event at cursor A, for the list's selection.
  std::optional<std::size_t> current_event() const;
  std::optional<double> cursor_a() const;
  std::optional<double> cursor_b() const;

  // Looks whether the record's files changed since the picture was read (a
  // few file stamps); true when that was found just now, so that the view
  // redraws and shows «Запись изменена» at once.
  bool PollRecord();

  const PictureView& view() const { return view_; }
  const RecordPicture& picture() const { return *picture_; }
  // The picture as the drawing area shows it.
  Scene Draw() const;
  // Both cursors' readout (times, Δt, values, differences, phasors,
  // harmonics, sequences, signals' states), width pixels wide and as tall as
  // it needs.
  Scene DrawReadout(int width) const;
  // Whether a discrete signal changes its state anywhere in the record.
  bool signal_changes(int signal) const;
  // The phasor diagram of the three-phase sets and the reference at cursor A.
  Scene DrawPhasors(int width, int height) const;
  // The view as a picture file takes it: width pixels wide (the window's
  // width when 0), the height in the window's proportion, or taller where
  // that holds every shown band and row.
  Scene DrawForFile(int width) const;
  // One landscape page: the title line, the view and the cursor readout.
  Scene DrawPage(int width, int height) const;
  // The name a saved picture is offered under: the record's name with the
  // picture's extension (".svg", ".png") in place of its own.
  std::string PictureFileName(std::string_view extension) const;

  // The shortest span shown: a few samples across the whole plot.
  double NarrowestMs() const;

 private:
  void ShowSpan(double from_ms, double to_ms);
  void MoveCursor(int steps, bool cycles);
  // Puts cursor A at a time and moves the view to it when it lies outside.
  void PutCursorA(double at);
  double NextChangeTime(double at, int steps) const;
  // A time put where the record has a sample: on the nearest sample.
  double Snapped(double time_ms) const;
  // The records' names for a title (UTF-8).
  std::string Names() const;
  void MakeEvents();
  // What the cursors read, analysed again only when a cursor, the values'
  // kind, the reference or the record's state changed since.
  const std::optional<TwoCursors>& Analysed() const;

  std::unique_ptr<RecordPicture> picture_;
  PictureView view_;
  bool phasor_pane_ = true;
  int reference_ = 0;
  std::vector<ViewerEvent> events_;
  // The record's files with their stamps when the picture was read.
  struct Watched {
    std::string path;
    FileStamp stamp;
  };
  std::vector<Watched> watched_;
  bool change_told_ = false;
  struct AnalysedCursors {
    std::optional<double> a, b;
    bool primary = false, unchanged = true;
    int reference = 0;
    std::optional<TwoCursors> read;
  };
  mutable std::optional<AnalysedCursors> analysed_;
  bool press_b_ = false;
  double press_x_ = 0, press_y_ = 0;
  double press_from_ = 0, press_to_ = 0;
  bool pressed_ = false, dragged_ = false;
};

}  // namespace velk
