#include "app/win32/win32_text.h"

#include <windows.h>

#include "comtrade/cp1251.h"

namespace velk::win32 {
namespace {

std::wstring Widen(UINT code_page, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), size, out.data(), length);
  return out;
}

}  // namespace

std::wstring WideFromUtf16(std::u16string_view text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return std::wstring(text.begin(), text.end());
}

std::wstring WideFromCp1251(std::string_view text) {
  return WideFromUtf16(Cp1251ToUtf16(text));
}

std::wstring WideFromUtf8(std::string_view text) {
  return Widen(CP_UTF8, text);
}

std::wstring WideFromAnsi(std::string_view text) {
  return Widen(CP_ACP, text);
}

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace velk::win32
