#include "app/win32/escaped_error.h"

#include "app/win32/win32_text.h"

namespace velk::win32 {

void ShowEscapedError(HWND owner, std::string_view what) {
  MessageBoxW(owner, WideFromAnsi(what).c_str(), L"", MB_OK | MB_ICONERROR);
}

}  // namespace velk::win32
