#include "app/win32/output_dialog.h"

#include <string>

#include "app/texts.h"
#include "app/win32/dialog_template.h"
#include "app/win32/win32_text.h"

namespace velk::win32 {
namespace {

constexpr ControlClass kComboBox{0x0085};
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;

std::string TimeCodeOf(HWND dialog) {
  wchar_t text[16] = {};
  GetDlgItemTextW(dialog, kTimeCodeField, text, static_cast<int>(std::size(text)));
  return Utf8FromWide(text);
}

bool Newer(HWND dialog) {
  return SendDlgItemMessageW(dialog, kRevisionBox, CB_GETCURSEL, 0, 0) == 1;
}

// The offset matters to a revision 2013 file only.
void ShowFields(HWND dialog) {
  const bool newer = Newer(dialog);
  EnableWindow(GetDlgItem(dialog, kTimeCodeField), newer);
  EnableWindow(GetDlgItem(dialog, IDOK), !newer || TimeCodeText(TimeCodeOf(dialog)).has_value());
}

void AddItems(HWND dialog, int id, std::string_view first, std::string_view second, bool chosen) {
  SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(WideFromCp1251(first).c_str()));
  SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(WideFromCp1251(second).c_str()));
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, chosen ? 1 : 0, 0);
}

INT_PTR CALLBACK OutputProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    const auto& settings = *reinterpret_cast<const OutputSettings*>(lparam);
    AddItems(dialog, kRevisionBox, text::kRevision1999, text::kRevision2013,
             settings.revision == Revision::k2013);
    AddItems(dialog, kEncodingBox, text::kEncodingCp1251, text::kEncodingUtf8,
             settings.encoding == TextEncoding::kUtf8);
    CheckDlgButton(dialog, kOneFileBox, settings.one_file ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(dialog, kTimeCodeField, WideFromUtf8(settings.time_code).c_str());
    ShowFields(dialog);
    PlaceOver(dialog, GetWindow(dialog, GW_OWNER));
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam), code = HIWORD(wparam);
  switch (id) {
    case kRevisionBox:
      // Each revision brings its own encoding; the user may still choose the other.
      if (code == CBN_SELCHANGE) {
        SendDlgItemMessageW(dialog, kEncodingBox, CB_SETCURSEL, Newer(dialog) ? 1 : 0, 0);
        ShowFields(dialog);
      }
      return TRUE;
    case kTimeCodeField:
      if (code == EN_CHANGE) ShowFields(dialog);
      return TRUE;
    default:
      return OkOrCancel(dialog, id, [dialog] {
        auto& settings = *reinterpret_cast<OutputSettings*>(GetWindowLongPtrW(dialog, DWLP_USER));
        const auto time_code = TimeCodeText(TimeCodeOf(dialog));
        if (Newer(dialog) && !time_code) return false;  // Enter while «ОК» is disabled
        settings.revision = Newer(dialog) ? Revision::k2013 : Revision::k1999;
        settings.encoding = SendDlgItemMessageW(dialog, kEncodingBox, CB_GETCURSEL, 0, 0) == 1
                                ? TextEncoding::kUtf8
                                : TextEncoding::kCp1251;
        settings.one_file = IsDlgButtonChecked(dialog, kOneFileBox) == BST_CHECKED;
        if (time_code) settings.time_code = *time_code;
        return true;
      });
  }
}

}  // namespace

std::optional<OutputSettings> AskOutputSettings(HWND owner, const OutputSettings& settings) {
  // The labels take 170 dialog units: the longest, the clock's, needs about
  // 150 in the dialog font.
  DialogTemplate dialog(text::kOutputFormTitle, 290, 100);
  dialog.Add(kStatic, text::kRevisionLabel, -1, {7, 9, 170, 8}, SS_NOPREFIX);
  dialog.Add(kComboBox, "", kRevisionBox, {180, 7, 103, 60}, kList);
  dialog.Add(kStatic, text::kEncodingLabel, -1, {7, 27, 170, 8}, SS_NOPREFIX);
  dialog.Add(kComboBox, "", kEncodingBox, {180, 25, 103, 60}, kList);
  dialog.Add(kButton, text::kOneFileBox, kOneFileBox, {7, 43, 276, 10},
             BS_AUTOCHECKBOX | WS_TABSTOP);
  dialog.Add(kStatic, text::kTimeCodeLabel, -1, {7, 61, 170, 8}, SS_NOPREFIX);
  dialog.Add(kEdit, "", kTimeCodeField, {180, 59, 103, 14}, ES_AUTOHSCROLL | WS_TABSTOP,
             WS_EX_CLIENTEDGE);
  dialog.Add(kButton, text::kOkButton, IDOK, {176, 79, 52, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP);
  dialog.Add(kButton, text::kCancelButton, IDCANCEL, {231, 79, 52, 14}, BS_PUSHBUTTON | WS_TABSTOP);
  OutputSettings chosen = settings;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  const INT_PTR pressed = DialogBoxIndirectParamW(instance, dialog.get(), owner, OutputProcedure,
                                                  reinterpret_cast<LPARAM>(&chosen));
  if (pressed != IDOK) return std::nullopt;
  return chosen;
}

}  // namespace velk::win32
