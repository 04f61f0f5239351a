// What the converter's logic needs of a window toolkit: modal message boxes.
//
// The window's captions, enabled flags and list selections are plain state of
// TFComtrade; only the boxes, which wait for the user, go through here. The Qt
// window, the command line and the tests each implement this interface.
#pragma once

#include <string_view>

namespace velk {

enum class Answer { kYes, kNo };

class UiServices {
 public:
  virtual ~UiServices() = default;
  // An error box with the OK button alone; returns once the user pressed it.
  // text is code page 1251.
  virtual void ErrorBox(std::string_view text) = 0;
  // An information box with the buttons Yes and No; returns the button pressed.
  virtual Answer QuestionBox(std::string_view text) = 0;
};

}  // namespace velk
