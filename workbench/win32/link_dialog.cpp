#include "workbench/win32/link_dialog.h"

#include <iterator>
#include <string>

#include "workbench/settings.h"
#include "workbench/win32/dialog_template.h"
#include "workbench/win32/text.h"

namespace vorn::win32 {
namespace {

constexpr int kSwitches = static_cast<int>(std::size(kLinkDialogSwitches));
static_assert(kIdLinkReconnect + kSwitches == kIdLinkDefaults, "one id for each switch");

struct DialogState {
    LinkDialogValues* values;
    const LinkDialogValues* defaults;
};

void Fill(HWND dialog, const LinkDialogValues& v) {
    SetDlgItemTextW(dialog, kIdLinkName, Wide(v.name).c_str());
    SetDlgItemInt(dialog, kIdLinkTimeout, static_cast<UINT>(v.timeoutMs), FALSE);
    SetDlgItemInt(dialog, kIdLinkAttempts, static_cast<UINT>(v.attempts), FALSE);
    for (int i = 0; i < kSwitches; ++i)
        CheckDlgButton(dialog, kIdLinkReconnect + i, v.*kLinkDialogSwitches[i].value ? BST_CHECKED : BST_UNCHECKED);
}

// The number in a field when it is in the key's range; the reason otherwise.
bool ReadNumber(HWND dialog, int id, SettingId key, int& value) {
    BOOL ok = FALSE;
    const UINT n = GetDlgItemInt(dialog, id, &ok, FALSE);
    const SettingInfo& info = InfoOf(key);
    if (ok && n >= info.min && n <= info.max) {
        value = static_cast<int>(n);
        return true;
    }
    const std::string text = std::string(info.key) + ": expected a whole number from " + std::to_string(info.min) +
                             " to " + std::to_string(info.max);
    MessageBoxW(dialog, Wide(text).c_str(), L"Simulator Link", MB_OK | MB_ICONERROR);
    SetFocus(GetDlgItem(dialog, id));
    return false;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lp);
            state = reinterpret_cast<DialogState*>(lp);
            SendDlgItemMessageW(dialog, kIdLinkName, EM_LIMITTEXT, static_cast<WPARAM>(InfoOf(SettingId::kIpcName).max), 0);
            Fill(dialog, *state->values);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case kIdLinkDefaults:
                    Fill(dialog, *state->defaults);
                    return TRUE;
                case IDOK: {
                    LinkDialogValues v;
                    wchar_t name[128] = L"";
                    GetDlgItemTextW(dialog, kIdLinkName, name, 128);
                    v.name = Utf8(name);
                    if (!ReadNumber(dialog, kIdLinkTimeout, SettingId::kIpcTimeoutMs, v.timeoutMs) ||
                        !ReadNumber(dialog, kIdLinkAttempts, SettingId::kIpcAttempts, v.attempts))
                        return TRUE;
                    for (int i = 0; i < kSwitches; ++i)
                        v.*kLinkDialogSwitches[i].value = IsDlgButtonChecked(dialog, kIdLinkReconnect + i) == BST_CHECKED;
                    *state->values = v;
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool ShowLinkDialog(HWND owner, LinkDialogValues& values, const LinkDialogValues& defaults) {
    constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
    constexpr short kSwitchTop = 63, kSwitchStep = 16;
    constexpr short kButtonsTop = kSwitchTop + kSwitches * kSwitchStep + 13;
    DialogTemplate t(L"Simulator Link", 220, kButtonsTop + 24, 9 + kSwitches);
    t.Item(0x82, L"&Message name:", -1, SS_LEFT, 7, 9, 90, 8);
    t.Item(0x81, L"", kIdLinkName, kEdit, 100, 7, 113, 12);
    t.Item(0x82, L"Answer &time-out (ms):", -1, SS_LEFT, 7, 27, 90, 8);
    t.Item(0x81, L"", kIdLinkTimeout, kEdit | ES_NUMBER, 100, 25, 60, 12);
    t.Item(0x82, L"&Attempts:", -1, SS_LEFT, 7, 45, 90, 8);
    t.Item(0x81, L"", kIdLinkAttempts, kEdit | ES_NUMBER, 100, 43, 60, 12);
    for (int i = 0; i < kSwitches; ++i) {
        const std::wstring label = Wide(kLinkDialogSwitches[i].label);
        t.Item(0x80, label.c_str(), kIdLinkReconnect + i, kCheck, 7, short(kSwitchTop + i * kSwitchStep), 200, 10);
    }
    t.Item(0x80, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 7, kButtonsTop, 60, 16);
    t.Item(0x80, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 79, kButtonsTop, 60, 16);
    t.Item(0x80, L"&Defaults", kIdLinkDefaults, BS_PUSHBUTTON | WS_TABSTOP, 153, kButtonsTop, 60, 16);
    LinkDialogValues chosen = values;
    DialogState state{&chosen, &defaults};
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, &DialogProc,
                                                   reinterpret_cast<LPARAM>(&state));
    if (answer != IDOK) return false;
    values = chosen;
    return true;
}

}  // namespace vorn::win32
