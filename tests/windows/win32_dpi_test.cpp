// The window at 144 DPI. at_dpi.sh sets Wine's LogPixels for this one run,
// so the figures the window has at 96 DPI (its place, an 11-pixel font,
// 16-pixel toolbar pictures) must come out 1.5 times as large: in a window
// this per-monitor aware test makes, and in vorn.exe started as a user
// starts it, whose manifest makes it aware on Windows. The settings keep the
// place at 96 DPI; Wine's null display is 1024 x 768, so the first start's
// 756 x 577 (1134 x 866) is cut to the screen.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "fsuipc/ipc.h"
#include "machine/machine.h"
#include "tests/windows/child_program.h"
#include "tests/windows/wine_path.h"
#include "workbench/win32/dpi.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/text.h"

namespace vorn {
namespace {

constexpr int kDpi = 144;

RECT WindowPlace(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The settings file of a window placed at (20, 30), 600 x 400 at 96 DPI.
struct PlacedSettings {
    PlacedSettings() {
        char dir[MAX_PATH];
        path = std::string(dir, GetTempPathA(MAX_PATH, dir)) + "vorn_dpi_test.ini";
        Write("[Window]\nLeft=20\nTop=30\nWidth=600\nHeight=400\n");
        _putenv_s("VORN_NO_SETTINGS", "");
        _putenv_s("VORN_SETTINGS_FILE", path.c_str());
    }
    ~PlacedSettings() {
        _putenv_s("VORN_SETTINGS_FILE", "");
        DeleteFileA(path.c_str());
    }
    void Write(const std::string& text) const {
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    std::string Read() const {
        std::string text;
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            char buf[4096];
            for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
            std::fclose(f);
        }
        return text;
    }
    std::string path;
};

void ExpectPlace(const RECT& r, LONG left, LONG top, LONG width, LONG height) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (handle == nullptr || GetObjectW(handle, sizeof font, &font) == 0) return 0;
    return font.lfHeight;
}

TEST(Win32Dpi, TheWindowsFiguresScaleWithTheMonitor) {
    // Windows 10's call, looked up as the window looks up its own.
    using SetAwareness = BOOL(WINAPI*)(HANDLE);
    const auto set = reinterpret_cast<SetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    ASSERT_NE(set, nullptr);
    set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    ASSERT_EQ(win32::SystemDpi(), kDpi) << "run through at_dpi.sh, which sets the display's DPI";

    Machine machine{ProgramLink()};
    {
        // The first start's place, too large for this screen, is cut to fit it.
        win32::TForm1 first(ProgramLink(), machine);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(first.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        const RECT r = WindowPlace(first.Handle());
        EXPECT_EQ(r.right - r.left, std::min(1134L, work.right - work.left));  // 756 x 1.5
        EXPECT_EQ(r.bottom - r.top, std::min(866L, work.bottom - work.top));   // 577 x 1.5, rounded
        EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom);
        SendMessageW(first.Handle(), WM_CLOSE, 0, 0);
    }
    PlacedSettings settings;
    win32::TForm1 form(ProgramLink(), machine);
    form.Show(SW_SHOWNORMAL);
    ASSERT_EQ(win32::WindowDpi(form.Handle()), kDpi);
    ExpectPlace(WindowPlace(form.Handle()), 30, 45, 900, 600);
    // The 11-pixel window font, 16.5 pixels rounded, on the tabs, the caret label and the status line.
    for (HWND control : {form.Tabs(), form.CaretLabel(), form.StatusLine()}) EXPECT_EQ(FontHeight(control), -17);
    EXPECT_EQ(FontHeight(form.PageControlOf(kPageWatch)), -20) << "the Watch page's 13-pixel face";
    EXPECT_EQ(FontHeight(form.PageControlOf(kPageProgramOutput)), -17);
    int w = 0, h = 0;
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(form.ToolBar(), TB_GETIMAGELIST, 0, 0));
    ASSERT_TRUE(ImageList_GetIconSize(images, &w, &h));
    EXPECT_EQ(w, 24) << "pictures drawn at 24 pixels, not 16 stretched";
    EXPECT_EQ(h, 24);
    const LRESULT button = SendMessageW(form.ToolBar(), TB_GETBUTTONSIZE, 0, 0);
    EXPECT_GE(LOWORD(button), 35);
    EXPECT_GE(HIWORD(button), 33);
    // The margin line falls where the editor draws column 80.
    SetWindowTextW(form.Editor(), std::wstring(100, L'x').c_str());
    const LRESULT at = SendMessageW(form.Editor(), EM_POSFROMCHAR, 80, 0);
    EXPECT_EQ(static_cast<short>(LOWORD(at)), form.EditorMarginX());
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    const std::string kept = settings.Read();
    EXPECT_NE(kept.find("Width=600"), std::string::npos) << "kept at 96 DPI:\n" << kept;
    EXPECT_NE(kept.find("Height=400"), std::string::npos) << kept;
}

// Wine scales every program alike, so what Windows reads is checked as it
// reads it: vorn.exe's manifest resource declares per-monitor awareness.
std::string ManifestOf(const std::string& program) {
    HMODULE module = LoadLibraryExW(win32::Wide(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return "";
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {  // RT_MANIFEST
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        if (bytes != nullptr) text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

TEST(Win32Dpi, VornExeIsPerMonitorAware) {
    const std::string manifest = ManifestOf(test::WindowsPath(VORN_VORN_PATH));
    EXPECT_NE(manifest.find(">PerMonitorV2"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(">true/pm<"), std::string::npos) << "the Windows 8.1 form";
    PlacedSettings settings;
    test::ChildProgram vorn;
    std::string error;
    ASSERT_TRUE(vorn.Start(test::WindowsPath(VORN_VORN_PATH), {}, error)) << error;
    HWND window = nullptr;
    for (int i = 0; i < 1000 && window == nullptr; ++i) {
        window = FindWindowW(L"TForm1", L"Vorn");
        if (window == nullptr || !IsWindowVisible(window)) {  // shown once it is placed
            window = nullptr;
            Sleep(20);
        }
    }
    ASSERT_NE(window, nullptr);
    ExpectPlace(WindowPlace(window), 30, 45, 900, 600);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(vorn.Finish(20000), 0);
}

}  // namespace
}  // namespace vorn
