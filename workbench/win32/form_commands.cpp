// TForm1's share of the editor-side commands: the dialogs, message boxes and
// editor calls the window core asks for, and the files under them.
#include <algorithm>

#include <windows.h>
#include <shellapi.h>

#include "workbench/win32/about_box.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/link_dialog.h"
#include "workbench/win32/offsets_dialog.h"
#include "workbench/win32/rich_editor.h"
#include "workbench/win32/text.h"

namespace vorn::win32 {
namespace {

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n > 0 && text != nullptr ? std::wstring(text, n) : std::wstring();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    if (message.empty()) return "System error " + std::to_string(code) + ".";
    return Utf8(message);
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}

}  // namespace

// --- Files -----------------------------------------------------------------

FileAccess::ReadResult Win32Files::Read(const std::string& path, std::size_t limit) {
    ReadResult result;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result.error = SystemMessage(GetLastError());
        return result;
    }
    // Never more than limit + 1 bytes: enough to tell that a file is too big.
    const std::size_t want = limit + 1;
    result.bytes.resize(std::min<std::size_t>(want, 1 << 16));
    std::size_t have = 0;
    for (;;) {
        if (have == result.bytes.size()) {
            if (have >= want) break;
            result.bytes.resize(std::min(want, have * 2));
        }
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(result.bytes.size() - have, 1 << 20));
        if (!ReadFile(file, result.bytes.data() + have, ask, &got, nullptr)) {
            result.error = SystemMessage(GetLastError());
            CloseHandle(file);
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        have += got;
    }
    CloseHandle(file);
    result.bytes.resize(have);
    result.ok = true;
    return result;
}

bool Win32Files::WriteAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    // Written beside the file and moved over it only when complete.
    const std::wstring target = Wide(path);
    const std::wstring temp = target + L".vorn-save";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemMessage(GetLastError());
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        ok = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
        done += wrote;
    }
    ok = ok && FlushFileBuffers(file);
    DWORD code = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (ok && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        code = GetLastError();
    }
    if (!ok) {
        DeleteFileW(temp.c_str());
        error = SystemMessage(code == 0 ? ERROR_WRITE_FAULT : code);
    }
    return ok;
}

std::string Win32Files::AbsolutePath(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    full.resize(got < n ? got : 0);
    return full.empty() ? path : Utf8(full);
}

std::string Win32Files::NativePath(const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}

void Win32Files::EnterFolderOf(const std::string& path) {
    SetCurrentDirectoryW(FolderOf(Wide(AbsolutePath(path))).c_str());
}

// --- Dialogs and message boxes --------------------------------------------

bool TForm1::FileDialog(bool save, const std::string& suggested, std::string& path) {
    std::wstring name(32768, L'\0');
    const std::wstring start = Wide(suggested);
    std::copy_n(start.begin(), std::min(start.size(), name.size() - 1), name.begin());
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"Vorn programs (*.vrn)\0*.vrn\0All files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder;
    ofn.lpstrDefExt = L"vrn";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return false;
    path = Utf8(name.c_str());
    return !path.empty();
}

bool TForm1::ChooseOpenPath(std::string& path) { return FileDialog(false, "", path); }

bool TForm1::ChooseSavePath(const std::string& currentName, std::string& path) {
    const std::size_t slash = currentName.find_last_of("\\/");
    return FileDialog(true, slash == std::string::npos ? currentName : currentName.substr(slash + 1), path);
}

SaveAnswer TForm1::AskSave(const std::string& title, const std::string& text) {
    // Yes is the default button; Escape answers Cancel.
    switch (MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(),
                        MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON1)) {
        case IDYES:
            return SaveAnswer::kYes;
        case IDNO:
            return SaveAnswer::kNo;
        default:
            return SaveAnswer::kCancel;
    }
}

void TForm1::ShowMessage(const std::string& title, const std::string& text) {
    MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), MB_OK);
}

void TForm1::SetCaption(const std::string& caption) { SetWindowTextW(hwnd_, Wide(caption).c_str()); }

void TForm1::ShowFindDialog() {
    if (findDialog_ != nullptr) {
        SetActiveWindow(findDialog_);
        return;
    }
    const DWORD matchCase = find_.Flags & FR_MATCHCASE;  // kept for the whole run, like the text
    find_ = {};
    find_.lStructSize = sizeof find_;
    find_.hwndOwner = hwnd_;
    // The search only goes forward and matches substrings.
    find_.Flags = FR_DOWN | FR_HIDEUPDOWN | FR_HIDEWHOLEWORD | matchCase;
    find_.lpstrFindWhat = findText_.data();
    find_.wFindWhatLen = static_cast<WORD>(findText_.size());
    findDialog_ = FindTextW(&find_);
    if (findDialog_ == nullptr) return;
    RECT window{}, dialog{};
    GetWindowRect(hwnd_, &window);
    GetWindowRect(findDialog_, &dialog);
    const ScreenRect place = FindDialogPlace({window.left, window.top, window.right - window.left,
                                              window.bottom - window.top},
                                             dialog.right - dialog.left, dialog.bottom - dialog.top);
    SetWindowPos(findDialog_, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string TForm1::FindText() const { return Utf8(findText_.data()); }

bool TForm1::FindMatchCase() const { return (find_.Flags & FR_MATCHCASE) != 0; }

void TForm1::ShowAbout() { TAbout about(hwnd_); }

bool TForm1::OpenDocument(const std::string& path) {
    // ShellExecuteW answers above 32 when a program took the file.
    const HINSTANCE started = ShellExecuteW(hwnd_, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

void TForm1::ShowOffsets() {
    if (!offsets_) {
        offsets_ = std::make_unique<OffsetsDialog>(hwnd_, [this](const std::string& declaration) {
            // As typed: the editor's change notification tells the core.
            SendMessageW(Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(declaration).c_str()));
            SetFocus(Editor());
        });
    }
    offsets_->Show();
}

void TForm1::SetChecked(Command command, bool checked) {
    if (const int item = CommandId(command, ComponentKind::kMenuItem))
        CheckMenuItem(menu_, static_cast<UINT>(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TForm1::SetEnabled(Command command, bool enabled) {
    if (const int item = CommandId(command, ComponentKind::kMenuItem))
        EnableMenuItem(menu_, static_cast<UINT>(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (const int button = CommandId(command, ComponentKind::kToolButton))
        SendMessageW(toolBar_, TB_ENABLEBUTTON, static_cast<WPARAM>(button), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

// --- The editor ------------------------------------------------------------

void TForm1::SetEditorLines(const std::vector<std::string>& lines) {
    loading_ = true;
    editor_->SetLines(lines);
    loading_ = false;
}

int TForm1::CaretLine() const { return editor_->CaretLine(); }
int TForm1::CaretColumn() const { return editor_->CaretColumn(); }
void TForm1::SelectText(int line, int column, int length) { editor_->SelectFrom(line, column, length); }
void TForm1::SetCaretLabel(const std::string& text) { SetWindowTextW(caretLabel_, Wide(text).c_str()); }

// --- Options, recent files, status -----------------------------------------

bool TForm1::EditLinkSettings(LinkDialogValues& values, const LinkDialogValues& defaults) {
    return ShowLinkDialog(hwnd_, values, defaults);
}

// As the close box: WM_CLOSE asks the core first.
void TForm1::CloseWindow() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TForm1::SetRecentFiles(const std::vector<std::string>& captions) {
    const Command items[] = {Command::kRecentFile1, Command::kRecentFile2, Command::kRecentFile3, Command::kRecentFile4};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        const Component* c = FindCommand(items[i], ComponentKind::kMenuItem);
        if (c == nullptr) continue;
        const std::string caption = i < captions.size() ? captions[i] : std::string();
        const UINT id = static_cast<UINT>(CommandId(items[i], ComponentKind::kMenuItem));
        ModifyMenuW(menu_, id, MF_BYCOMMAND | MF_STRING | (caption.empty() ? MF_GRAYED : MF_ENABLED), id,
                    Wide(caption.empty() ? std::string(c->caption) : caption).c_str());
    }
}

}  // namespace vorn::win32
