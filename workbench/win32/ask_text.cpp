#include "workbench/win32/ask_text.h"

#include "workbench/win32/dialog_template.h"
#include "workbench/win32/text.h"

namespace vorn::win32 {
namespace {

INT_PTR CALLBACK AskProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* value = reinterpret_cast<std::string*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lp);
            SetDlgItemTextW(dialog, kIdAskText, Wide(*reinterpret_cast<std::string*>(lp)).c_str());
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                *value = WindowText(GetDlgItem(dialog, kIdAskText));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool AskTextBox(HWND owner, const std::string& title, const std::string& prompt, std::string& value) {
    const std::wstring caption = Wide(title), label = Wide(prompt);
    DialogTemplate t(caption.c_str(), 220, 64, 4);
    t.Item(0x82, label.c_str(), -1, SS_LEFT, 7, 7, 206, 8);
    t.Item(0x81, L"", kIdAskText, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 19, 206, 12);
    t.Item(0x80, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 99, 41, 55, 16);
    t.Item(0x80, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 158, 41, 55, 16);
    std::string chosen = value;
    if (DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, &AskProc, reinterpret_cast<LPARAM>(&chosen)) !=
        IDOK)
        return false;
    value = chosen;
    return true;
}

}  // namespace vorn::win32
