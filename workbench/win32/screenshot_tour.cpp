#include "workbench/win32/screenshot_tour.h"

#include <cstdio>

// The window's headers first: <windows.h> renames FindText, and the core's must see it do so.
#include "workbench/win32/about_box.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/text.h"
#include "workbench/component_table.h"
#include "workbench/screenshot_tour.h"
#include "workbench/window_core.h"

namespace vorn::win32 {
namespace {

// Runs the message loop for `ms` milliseconds.
void Pause(TForm1& form, int ms) {
    const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(ms), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) break;
        if (form.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, timer);
}

// The window as it is drawn, frame included, as a 24-bit BMP. Read from the
// window's own DC: under Wine the screen's DC does not hold other windows.
bool Save(const std::string& folder, const char* name, HWND window) {
    const std::string path = folder + "\\" + name;
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetWindowDC(window);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files are
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        ok = BitBlt(dc, 0, 0, w, h, screen, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(dc, old);
    }
    const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    if (ok) {
        std::FILE* f = _wfopen(Wide(path).c_str(), L"wb");
        ok = f != nullptr && std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
             std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 && std::fwrite(bits, 1, size, f) == size;
        if (f != nullptr) ok = std::fclose(f) == 0 && ok;
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(window, screen);
    std::printf(ok ? "saved %s\n" : "cannot write %s\n", path.c_str());
    std::fflush(stdout);
    return ok;
}

// The modal dialog a command opens is photographed from a timer inside its own loop.
std::string g_folder;
std::string g_picture;
bool g_saved = false;

void CALLBACK PhotographDialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = FindWindowW(kAboutClass, nullptr);
    if (dialog == nullptr) dialog = FindWindowW(L"#32770", L"Simulator Link");
    if (dialog == nullptr) return;
    g_saved = Save(g_folder, g_picture.c_str(), dialog);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

std::string PictureName(const std::string& name) { return "workbench-win32-" + name + ".bmp"; }

class Win32Camera : public TourCamera {
public:
    Win32Camera(TForm1& form, const std::string& folder) : form_(form), folder_(folder) {}

    void Pause(int ms) override { vorn::win32::Pause(form_, ms); }

    bool Photograph(const std::string& name) override {
        return Save(folder_, PictureName(name).c_str(), form_.Handle());
    }

    bool PhotographDialog(const std::string& name, Command command) override {
        g_folder = folder_;
        g_picture = PictureName(name);
        g_saved = false;
        SetTimer(nullptr, 0, 700, &vorn::win32::PhotographDialog);
        form_.Core().Run(command);
        return g_saved;
    }

    std::string PageText(PageIndex page) override {
        std::string text;
        for (char c : WindowText(form_.PageControlOf(page)))
            if (c != '\r') text += c;
        return text;
    }

private:
    TForm1& form_;
    std::string folder_;
};

}  // namespace

int RunScreenshotTour(TForm1& form, const std::string& folder, const std::string& file) {
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    const bool opened = form.OpenFile(file);
    Win32Camera camera(form, folder);
    const int result = RunTour(form.Core(), camera);
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    return opened ? result : 1;
}

}  // namespace vorn::win32
