#include "tests/support/run_program.h"

#include <cstdlib>

#include "tests/support/fakes.h"

#ifdef _WIN32
#include <windows.h>

#include "comtrade/utf16.h"
#else
#include <sys/wait.h>
#endif

namespace velk::testing {
namespace {

#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
  const std::u16string units = Utf16FromUtf8(utf8).value_or(u"?");
  return {units.begin(), units.end()};
}

// One argument as the C runtime of the started program splits the command line:
// in quotes, a quote escaped, and backslashes doubled only before a quote.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

// A file the started program writes its output stream into.
HANDLE Capture(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A Windows program's text streams end their lines with CR LF; the tests
// compare lines as LF-ended text.
std::string WithoutCarriageReturns(std::string text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

// Runs the program with the arguments; its output streams go to the two files.
// The environment settings of the Linux tests (a locale) have no meaning here.
int Run(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
  std::wstring command = Quoted(Wide(VELK_CONVERT));
  for (const auto& arg : args) command += L" " + Quoted(Wide(arg));
  const HANDLE out_file = Capture(out);
  const HANDLE err_file = Capture(err);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out_file;
  startup.hStdError = err_file;
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(out_file);
  CloseHandle(err_file);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  const bool known = GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return known ? static_cast<int>(status) : -1;
}
#else
std::string Quoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
#endif

}  // namespace

ProgramResult RunConvert(const std::vector<std::string>& args, const std::string& env) {
  TempDir capture;
  ProgramResult result;
#ifdef _WIN32
  (void)env;
  result.status = Run(args, capture / "out", capture / "err");
  result.out = WithoutCarriageReturns(ReadFile(capture / "out"));
  result.err = WithoutCarriageReturns(ReadFile(capture / "err"));
#else
  std::string command = env + " " + Quoted(VELK_CONVERT);
  for (const auto& arg : args) command += " " + Quoted(arg);
  command += " >" + Quoted(capture / "out") + " 2>" + Quoted(capture / "err");
  const int raw = std::system(command.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(capture / "out");
  result.err = ReadFile(capture / "err");
#endif
  return result;
}

}  // namespace velk::testing
