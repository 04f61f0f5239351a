// A dialog template in memory, for the program's dialogs built without a
// resource script: the dialog and its controls in dialog units, in the dialog
// font of Windows.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "app/view_layout.h"
#include "app/win32/win32_text.h"

namespace velk::win32 {

// The dialog font of Windows (Tahoma, as the system maps the name), which has
// Cyrillic letters whatever the system's language.
inline constexpr wchar_t kDialogFont[] = L"MS Shell Dlg 2";
inline constexpr WORD kDialogPoints = 9;

// A control's class: one of the system's by its atom, or by its name.
struct ControlClass {
  WORD atom = 0;
  const wchar_t* name = nullptr;
};
inline constexpr ControlClass kButton{0x0080};
inline constexpr ControlClass kEdit{0x0081};
inline constexpr ControlClass kStatic{0x0082};

// A dialog template in memory: the dialog and its controls in dialog units,
// which Windows turns into pixels by the dialog font at the monitor's pixels
// per inch.
class DialogTemplate {
 public:
  DialogTemplate(std::string_view title, short width, short height) {
    Long(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Long(0);
    Word(0);  // the number of controls, counted by Add
    for (const short value : {short{0}, short{0}, width, height}) Word(static_cast<WORD>(value));
    Word(0);  // no menu
    Word(0);  // the dialog class
    Text(WideFromCp1251(title));
    Word(kDialogPoints);
    Text(kDialogFont);
  }

  // A control at {left, top, width, height}.
  void Add(ControlClass kind, std::string_view caption, int id, layout::Box at, DWORD style,
           DWORD ex_style = 0) {
    if (words_.size() % 2 != 0) Word(0);  // each control starts on a DWORD
    Long(style | WS_CHILD | WS_VISIBLE);
    Long(ex_style);
    for (const int value : {at.left, at.top, at.width, at.height}) Word(static_cast<WORD>(value));
    Word(static_cast<WORD>(id));
    if (kind.name != nullptr) {
      Text(kind.name);
    } else {
      Word(0xFFFF);
      Word(kind.atom);
    }
    Text(WideFromCp1251(caption));
    Word(0);  // no creation data
    ++words_[4];
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD value) { words_.push_back(value); }
  void Long(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(std::wstring_view text) {
    for (const wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }

  std::vector<WORD> words_;
};

// A modal dialog's answer to the command id: Cancel ends it; OK ends it once
// take() has taken what its fields hold (false keeps it open, as where a
// field is not yet valid). FALSE for any other command.
template <typename Take>
INT_PTR OkOrCancel(HWND dialog, int id, const Take& take) {
  if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  if (id != IDOK) return FALSE;
  if (take()) EndDialog(dialog, IDOK);
  return TRUE;
}

// Puts a window centred over its owner (the desktop without one), moved into
// the work area of the owner's monitor: where the program's dialogs open.
inline void PlaceOver(HWND window, HWND owner) {
  RECT own{}, rect{};
  GetWindowRect(owner != nullptr ? owner : GetDesktopWindow(), &own);
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromRect(&own, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  const layout::Point at = layout::PlaceOnWorkArea(
      {work.left, work.top, work.right - work.left, work.bottom - work.top}, width, height,
      {(own.left + own.right - width) / 2, (own.top + own.bottom - height) / 2});
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velk::win32
