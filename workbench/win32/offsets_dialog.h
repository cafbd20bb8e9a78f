#pragma once
// Help > FSUIPC Offsets... on Windows: a modeless window with a filter box
// and a report list of the catalogue (OffsetsBrowser's rows). A double-clicked
// row hands its declaration to `chosen`, which puts it at the editor's caret;
// the window stays open for the next, and closing it only hides it.
#include <windows.h>

#include <functional>
#include <string>

#include "workbench/offsets_browser.h"

namespace vorn::win32 {

inline constexpr wchar_t kOffsetsClass[] = L"TOffsets";

// Control ids, for tests that use the window as a user would.
enum OffsetsDialogId : int {
    kIdOffsetFilter = 1101,
    kIdOffsetList,
};

class OffsetsDialog {
public:
    OffsetsDialog(HWND owner, std::function<void(const std::string&)> chosen);
    ~OffsetsDialog();
    OffsetsDialog(const OffsetsDialog&) = delete;
    OffsetsDialog& operator=(const OffsetsDialog&) = delete;

    HWND Handle() const { return window_; }
    HWND Filter() const { return filter_; }
    HWND List() const { return list_; }
    void Show();
    // Tab, Enter and Escape in the window: true when the message was handled.
    bool PreTranslate(MSG& msg);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void Fill();
    void Layout();
    void SetFont();

    std::function<void(const std::string&)> chosen_;
    OffsetsBrowser browser_;
    HWND window_ = nullptr;
    HWND label_ = nullptr;
    HWND filter_ = nullptr;
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    int dpi_ = 96;
};

}  // namespace vorn::win32
