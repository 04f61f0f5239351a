// The viewer window as a plain object: the picture of one record (or of the
// pair «Совместить» would combine), what part of it is shown, the cursor, and
// what mouse and keys do to them. A view draws Draw()'s scene and forwards its
// size, the wheel, presses, drags and keys.
#pragma once

#include <memory>
#include <string>

#include "picture/record_picture.h"
#include "picture/scene.h"

namespace velk {

enum class ViewerKey { kLeft, kRight, kHome };

class RecordViewer {
 public:
  explicit RecordViewer(std::unique_ptr<RecordPicture> picture);

  // The window's title (code page 1251): "Просмотр записи — " and the records' names.
  std::string Title() const;

  // The drawing area's size in pixels; the shown times stay.
  void Resize(int width, int height);
  // The wheel turned by notches (positive away from the user: closer) with the
  // pointer at pixel column x: the time under the pointer stays where it is.
  void Wheel(double x, double notches);
  // A button pressed at x: a drag pans from here; released where it was
  // pressed, it puts the cursor at x.
  void Press(double x);
  void DragTo(double x);
  void Release(double x);
  // Left and right move the cursor by one sample, with shift by one cycle
  // (16 samples), and keep it in view; Home shows the whole record.
  void Key(ViewerKey key, bool shift);
  // The screen's pixels per point of the picture's layout (1.25 at 120 dpi).
  void SetScale(float scale);
  // Secondary values (as in the file) or primary ones (times the channel's ratio).
  void SetPrimary(bool primary);
  bool primary() const { return view_.primary; }

  const PictureView& view() const { return view_; }
  const RecordPicture& picture() const { return *picture_; }
  Scene Draw() const;

  // The shortest span shown: a few samples across the whole plot.
  static constexpr double kNarrowestMs = 8 * kSampleStepMs;

 private:
  void ShowSpan(double from_ms, double to_ms);
  void MoveCursor(int steps);
  double NextChangeTime(double at, int steps) const;

  std::unique_ptr<RecordPicture> picture_;
  PictureView view_;
  double press_x_ = 0;
  double press_from_ = 0, press_to_ = 0;
  bool pressed_ = false, dragged_ = false;
};

}  // namespace velk
