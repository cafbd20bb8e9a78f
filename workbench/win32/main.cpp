// vorn.exe: the workbench window on Windows.
//   vorn.exe [--connect] [FILE]         open FILE in the editor at start; with
//                                       --connect compile it and connect
//   vorn.exe --screenshots DIR FILE     see screenshot_tour.h
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "fsuipc/ipc.h"
#include "machine/debug_mode.h"
#include "machine/machine.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/screenshot_tour.h"
#include "workbench/win32/text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv != nullptr && i < argc; ++i) args.emplace_back(argv[i]);
    if (argv != nullptr) LocalFree(argv);
    std::wstring screenshots;
    if (args.size() == 3 && args[0] == L"--screenshots") {
        screenshots = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    const bool connect = !args.empty() && args[0] == L"--connect";
    if (connect) args.erase(args.begin());
    if (args.size() > 1 || (!args.empty() && args[0].starts_with(L"-"))) {
        MessageBoxW(nullptr, L"usage: vorn [--connect] [FILE]", L"Vorn", MB_OK | MB_ICONERROR);
        return 2;
    }
    const std::wstring file = args.empty() ? std::wstring() : args[0];

    // PLAY uses PlaySoundA, the machine's default player on Windows.
    vorn::Machine machine(vorn::ProgramLink(), vorn::DebugMode);
    vorn::win32::TForm1 form(vorn::ProgramLink(), machine);
    form.Show(showCommand);
    if (!screenshots.empty()) {
        // Absolute now: opening the file moves into the file's folder.
        vorn::win32::Win32Files files;
        return vorn::win32::RunScreenshotTour(form, files.AbsolutePath(vorn::win32::Utf8(screenshots)),
                                              vorn::win32::Utf8(file));
    }
    if (!file.empty()) form.Core().StartWith(vorn::win32::Utf8(file), connect);
    return vorn::win32::RunMessageLoop(form);
}
