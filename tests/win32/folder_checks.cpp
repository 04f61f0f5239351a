// «Преобразовать папку…» opened by the menu and by Ctrl+Shift+O, runs
// started with Enter that finish with their summary and pairs or are
// cancelled, and files and folders dropped from Explorer.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/drop_target.h"
#include "app/win32/folder_windows.h"
#include "app/win32/win32_text.h"
#include "comtrade/file_io.h"
#include "tests/win32/checks.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::win32 {
namespace {

// What the dialog «Преобразовать папку» showed, and what a check does in it:
// the folders it types, then Enter in the records field or «Отмена».
struct FolderDialogSeen {
  bool found = false;
  std::wstring records, output;
  bool boxes_checked = true;
  bool starts_without_records = true;
  bool starts = false;
  std::wstring type_records, type_output;
  bool enter = false;
};
FolderDialogSeen folder_dialog;
UINT_PTR folder_dialog_timer = 0;

BOOL CALLBACK AnswerFolderDialog(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd) || TextOf(hwnd) != L"Преобразовать папку") return TRUE;
  FolderDialogSeen& dialog = folder_dialog;
  dialog.found = true;
  dialog.records = TextOf(GetDlgItem(hwnd, kRecordsFolderField));
  dialog.output = TextOf(GetDlgItem(hwnd, kOutputFolderField));
  dialog.boxes_checked =
      IsDlgButtonChecked(hwnd, kRecursiveBox) || IsDlgButtonChecked(hwnd, kForceBox);
  SetDlgItemTextW(hwnd, kRecordsFolderField, L"");
  dialog.starts_without_records = IsWindowEnabled(GetDlgItem(hwnd, IDOK));
  SetDlgItemTextW(hwnd, kRecordsFolderField,
                  (dialog.type_records.empty() ? dialog.records : dialog.type_records).c_str());
  if (!dialog.type_output.empty())
    SetDlgItemTextW(hwnd, kOutputFolderField, dialog.type_output.c_str());
  dialog.starts = IsWindowEnabled(GetDlgItem(hwnd, IDOK));
  if (dialog.enter)
    PostMessageW(GetDlgItem(hwnd, kRecordsFolderField), WM_KEYDOWN, VK_RETURN, 0);
  else
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
  KillTimer(nullptr, folder_dialog_timer);
  folder_dialog_timer = 0;
  return FALSE;
}

void CALLBACK LookForFolderDialog(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerFolderDialog, 0);
}

// The next dialog «Преобразовать папку» is cancelled, or, given the folders,
// started with Enter.
void ExpectFolderDialog(const std::string& records = "", const std::string& output = "") {
  if (folder_dialog_timer != 0) KillTimer(nullptr, folder_dialog_timer);
  folder_dialog = FolderDialogSeen{};
  folder_dialog.type_records = WideFromUtf8(records);
  folder_dialog.type_output = WideFromUtf8(output);
  folder_dialog.enter = !records.empty();
  folder_dialog_timer = SetTimer(nullptr, 0, 50, LookForFolderDialog);
}

// The whole text of the summary, however long.
std::wstring SummaryShown() {
  HWND field = GetDlgItem(SummaryWindow(), kSummaryField);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  return text;
}

void PressButton(HWND window, int id) {
  SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// NAME.cfg, NAME.dat and their ASCII copies NAMEASCII.cfg and NAMEASCII.dat.
bool HasPair(const std::string& output, const char* kind, const std::string& name) {
  const std::string base = output + kind + "\\" + name;
  for (const char* file : {".cfg", ".dat", "ASCII.cfg", "ASCII.dat"})
    if (!std::filesystem::is_regular_file(FsPath(base + file))) return false;
  return true;
}

// The pairs of the output folder, each counted once by its NAMEASCII.cfg.
std::size_t PairsIn(const std::string& output) {
  std::size_t pairs = 0;
  for (const char* kind : {"comtrade_anl", "comtrade_dis", "comtrade_uni"}) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(FsPath(output + kind), error))
      if (PathText(entry.path()).ends_with("ASCII.cfg")) ++pairs;
  }
  return pairs;
}

// The menu and Ctrl+Shift+O open the dialog over the analog list's folder
// and the folder of the window's own output folders, check boxes off; with
// no records folder «Начать» is disabled.
void CheckFolderDialog(MainWindow& window, const std::string& records, const std::string& program) {
  HMENU file = GetSubMenu(GetMenu(window.hwnd()), 0);
  CHECK((GetMenuState(file, kConvertFolderCommand, MF_BYCOMMAND) & MF_GRAYED) == 0);
  const auto opened_right = [&] {
    return folder_dialog.found && folder_dialog.records == WideFromUtf8(records) &&
           folder_dialog.output == WideFromUtf8(program) && !folder_dialog.boxes_checked &&
           !folder_dialog.starts_without_records && folder_dialog.starts;
  };
  ExpectFolderDialog();
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  CHECK(opened_right());

  ExpectFolderDialog();
  SetForegroundWindow(window.hwnd());
  SetFocus(window.Control(kFileListBox1));
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(window.Control(kFileListBox1), WM_KEYDOWN, 'O', 0);
  PumpUntil(window, [] { return folder_dialog.found; });
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  CHECK(opened_right());
}

// A run over a small folder, started with Enter (the output folder typed
// without its last backslash, as Explorer names it): the convert buttons wait
// while it runs; at its end the summary shows the logic's summary, which
// «Копировать» copies, and the output folder holds the pairs of the sound
// records; Esc closes the summary.
void CheckFolderRun(MainWindow& window, TFComtrade& form, const std::string& records) {
  const std::string output = FolderAt("вывод");
  ExpectFolderDialog(records, output.substr(0, output.size() - 1));
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  CHECK(folder_dialog.found);
  CHECK(ProgressWindow() != nullptr);
  CHECK(TextOf(ProgressWindow()) == L"Преобразование папки");
  for (const int id : {kConvertANLButton, kConvertDISButton, kSovmestButton})
    CHECK(!IsWindowEnabled(window.Control(id)));
  CHECK(PumpSeconds(window, 30, [] { return SummaryWindow() != nullptr; }));
  CHECK(ProgressWindow() == nullptr);
  CHECK(IsWindowEnabled(window.Control(kSovmestButton)));
  CHECK(TextOf(SummaryWindow()) == L"Итог преобразования папки");
  const std::wstring summary = SummaryShown();
  CHECK(summary.starts_with(L"Папка записей (records folder): " + WideFromUtf8(records) +
                            L"\r\nПапка вывода (output folder): " + WideFromUtf8(output) +
                            L"\r\n"));
  CHECK(summary.find(L"повреждена.flh") != std::wstring::npos);
  CHECK(HasPair(output, "comtrade_anl", "запись 1") && HasPair(output, "comtrade_anl", "другая"));
  CHECK(HasPair(output, "comtrade_dis", "запись 1") && HasPair(output, "comtrade_uni", "запись 1"));
  CHECK(PairsIn(output) == 4);
  PressButton(SummaryWindow(), kCopyButton);
  CHECK(ClipboardText() == summary);
  PostMessageW(GetDlgItem(SummaryWindow(), IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  CHECK(PumpUntil(window, [] { return SummaryWindow() == nullptr; }));
  CHECK(form.PollFolderConversion().status.state == FolderConversion::State::kIdle);
}

// «Отмена» stops a run of a few hundred records: the summary says so and not
// every pair is made; a second run makes the rest.
void CheckFolderCancel(MainWindow& window) {
  const std::string records = FolderAt("много записей");
  constexpr std::size_t kPairs = 150;  // 450 pairs: analog, discrete and combined
  WriteRecordPairs(records, static_cast<int>(kPairs));
  const std::string output = FolderAt("вывод отмены");
  ExpectFolderDialog(records, output);
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  const auto bar_moved = [] {
    return ProgressWindow() != nullptr &&
           SendDlgItemMessageW(ProgressWindow(), kProgressBar, PBM_GETPOS, 0, 0) > 0;
  };
  CHECK(PumpSeconds(window, 30, bar_moved));
  if (ProgressWindow() != nullptr) PressButton(ProgressWindow(), IDCANCEL);
  CHECK(PumpSeconds(window, 30, [] { return SummaryWindow() != nullptr; }));
  CHECK(SummaryShown().find(L"Отменено") != std::wstring::npos);
  CHECK(PairsIn(output) < 3 * kPairs);
  PressButton(SummaryWindow(), IDOK);
  CHECK(SummaryWindow() == nullptr);

  ExpectFolderDialog(records, output);
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  CHECK(PumpSeconds(window, 60, [] { return SummaryWindow() != nullptr; }));
  CHECK(SummaryShown().find(L"Отменено") == std::wstring::npos);
  CHECK(PairsIn(output) == 3 * kPairs);
  PressButton(SummaryWindow(), IDOK);
}

// A drop as Explorer hands it over: a DROPFILES block of wide paths.
HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(memory);
  return memory;
}

// Explorer's paths reach the window whole; a dropped record is chosen, a
// dropped folder opens the dialog over it, any other file is refused, and so
// is any drop while a box of the window is open.
void CheckDrops(MainWindow& window, TFComtrade& form, const std::string& records) {
  HGLOBAL drop = DropOf({WideFromUtf8(records + "другая.flh"), L"C:\\записи\\a b.txt"});
  CHECK(PathsOfDrop(static_cast<HDROP>(drop)) ==
        (DroppedPaths{records + "другая.flh", "C:\\записи\\a b.txt"}));
  GlobalFree(drop);

  CHECK(window.AcceptsDrop({records + "другая.flh"}));
  EnableWindow(window.hwnd(), FALSE);  // as under a message box
  CHECK(!window.AcceptsDrop({records + "другая.flh"}));
  EnableWindow(window.hwnd(), TRUE);
  window.TakeDrop({records + "другая.flh"});
  CHECK(form.controls.FileListBox1.selected_name == "другая.flh");
  CHECK(TextOf(window.Control(kDateLabel)) == L"13.02.2019 16:33:46");

  Write(records + "заметки.doc", "x");
  CHECK(!window.AcceptsDrop({records + "заметки.doc"}));
  CHECK(!window.AcceptsDrop({records + "другая.flh", records + "заметки.doc"}));

  const std::string dropped = records.substr(0, records.size() - 1);  // as Explorer names it
  CHECK(window.AcceptsDrop({dropped}));
  ExpectFolderDialog();
  window.TakeDrop({dropped});
  CHECK(PumpUntil(window, [] { return folder_dialog.found; }));
  CHECK(folder_dialog.records == WideFromUtf8(records));
}

}  // namespace

// A window over a folder of records: the analog and discrete record of one
// moment chosen, so that every convert button is enabled; a record of
// another moment and a damaged one beside them.
void CheckFolderConversion() {
  DropWaitingMessages();
  const std::string records = FolderAt("папка записей");
  const std::string program = FolderAt("программа");
  testing::FlhRecord one, other;
  one.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  other.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x46};
  Write(records + "запись 1.flh", one.Ramp(3).Bytes());
  Write(records + "запись 1.txt", testing::DiscreteRecord().Start().Bytes());
  Write(records + "другая.flh", other.Ramp(3).Bytes());
  Write(records + "повреждена.flh", "damaged");
  SetCurrentDirectoryW(WideFromUtf8(records).c_str());

  ShownWindow shown(program);
  TFComtrade& form = shown.form;
  MainWindow& window = shown.window;
  form.ListClick(ListBox::kFileListBox1, "запись 1.flh");
  form.ListClick(ListBox::kFileListBox2, "запись 1.txt");
  window.ShowState();
  CHECK(IsWindowEnabled(window.Control(kSovmestButton)));

  CheckFolderDialog(window, records, program);
  CheckFolderRun(window, form, records);
  CheckFolderCancel(window);
  CheckDrops(window, form, records);

  SendMessageW(window.hwnd(), WM_COMMAND, kExitCommand, 0);
  CHECK(PumpUntil(window, [&] { return window.hwnd() == nullptr; }));
  DropWaitingMessages();
  SetCurrentDirectoryW(L"C:\\");
  std::error_code ignored;
  for (const char* name : {"папка записей", "программа", "вывод", "много записей", "вывод отмены"})
    std::filesystem::remove_all(FsPath(FolderAt(name)), ignored);
}

}  // namespace velk::win32
