// velk-convert: converts VELK device records into COMTRADE from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <cstdio>
#include <sstream>

#include "comtrade/utf16.h"

namespace {

std::string Utf8(const wchar_t* text) {
  const std::wstring_view view(text);
  return velk::Utf8FromUtf16(std::u16string(view.begin(), view.end()));
}

// The arguments as the user typed them: Windows hands main() only their
// translation into the ANSI code page, where a Cyrillic letter outside it, or
// any letter of another alphabet, becomes "?".
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

// Writes UTF-8 text to a console as UTF-16, which every console shows whatever
// its code page (so the program never changes the code page of the console it
// shares with cmd.exe); to a file or a pipe as the UTF-8 bytes, lines ended by
// CR LF.
void Put(DWORD handle_id, std::FILE* stream, const std::string& text) {
  if (text.empty()) return;
  const HANDLE handle = GetStdHandle(handle_id);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode)) {
    const auto units = velk::Utf16FromUtf8(text);
    if (units) {
      const std::wstring wide(units->begin(), units->end());
      DWORD written = 0;
      WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
      return;
    }
  }
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace

int main() {
  std::ostringstream out, err;
  const int status = velk::RunCommandLine(Arguments(), velk::ProgramFolder(""), out, err);
  Put(STD_OUTPUT_HANDLE, stdout, out.str());
  Put(STD_ERROR_HANDLE, stderr, err.str());
  return status;
}
#else
int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return velk::RunCommandLine(args, velk::ProgramFolder(argc > 0 ? argv[0] : ""), std::cout,
                              std::cerr);
}
#endif
