#include "workbench/win32/screenshot_tour.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "workbench/component_table.h"
#include "workbench/controller.h"
#include "workbench/win32/about_box.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/text.h"

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

void Run(TForm1& form, Command command) {
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(CommandId(FindCommand(command, ComponentKind::kMenuItem)->name), 0), 0);
}

// The about box is modal: it is photographed from a timer inside its own loop.
std::string g_folder;
bool g_aboutSaved = false;

void CALLBACK PhotographAbout(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND about = FindWindowW(kAboutClass, nullptr);
    if (about == nullptr) return;
    g_aboutSaved = Save(g_folder, "workbench-win32-about.bmp", about);
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

bool g_linkSaved = false;

void CALLBACK PhotographLink(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = FindWindowW(L"#32770", L"Simulator Link");
    if (dialog == nullptr) return;
    g_linkSaved = Save(g_folder, "workbench-win32-link.bmp", dialog);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace

int RunScreenshotTour(TForm1& form, const std::string& folder, const std::string& file) {
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    bool ok = form.OpenFile(file);
    Pause(form, 1000);
    form.SelectPage(kPageSource);
    Pause(form, 300);
    ok &= Save(folder, "workbench-win32-source.bmp", form.Handle());

    // With the listing switched on the Compiler page has something to show.
    if (!form.Core().Controller().ShowCompilerOutput()) Run(form, Command::kCompilerOutput);
    Run(form, Command::kCompile);
    form.SelectPage(kPageCompiler);
    Pause(form, 300);
    ok &= Save(folder, "workbench-win32-compiler.bmp", form.Handle());
    if (!form.Core().Controller().Compiled()) {
        std::fprintf(stderr, "vorn: the program did not compile\n");
        return 1;
    }

    Run(form, Command::kConnect);
    if (!form.Core().Controller().Connected()) {
        std::fprintf(stderr, "vorn: cannot connect to the simulator\n");
        return 1;
    }
    std::printf("connected\n");
    std::fflush(stdout);

    // Wait for the program's output to settle after the hot keys.
    HWND output = form.PageControlOf(kPageProgramOutput);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int last = -1;
    auto quietSince = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
        Pause(form, 100);
        const int length = GetWindowTextLengthW(output);
        if (length != last) {
            last = length;
            quietSince = std::chrono::steady_clock::now();
        } else if (length > 0 && std::chrono::steady_clock::now() - quietSince > std::chrono::milliseconds(1500)) {
            break;
        }
    }
    ok &= Save(folder, "workbench-win32-output.bmp", form.Handle());

    // The globals of the running program, read every tick while on top.
    form.SelectPage(kPageWatch);
    form.Core().PageSelected(kPageWatch);
    Pause(form, 1500);
    ok &= Save(folder, "workbench-win32-watch.bmp", form.Handle());

    g_folder = folder;
    SetTimer(nullptr, 0, 700, &PhotographAbout);
    Run(form, Command::kAbout);
    ok &= g_aboutSaved;

    SetTimer(nullptr, 0, 700, &PhotographLink);
    Run(form, Command::kSimulatorLink);
    ok &= g_linkSaved;

    Run(form, Command::kConnect);  // disconnect
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    return ok ? 0 : 1;
}

}  // namespace vorn::win32
