// vorn.exe: the workbench window on Windows.
//   vorn.exe [FILE]      open FILE in the editor at start
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "fsuipc/ipc.h"
#include "machine/debug_mode.h"
#include "machine/machine.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring file;
    if (argv != nullptr && argc >= 2) file = argv[1];
    const bool usage = argc > 2 || (!file.empty() && file[0] == L'-');
    if (argv != nullptr) LocalFree(argv);
    if (usage) {
        MessageBoxW(nullptr, L"usage: vorn [FILE]", L"Vorn", MB_OK | MB_ICONERROR);
        return 2;
    }

    // PLAY uses PlaySoundA, the machine's default player on Windows.
    vorn::Machine machine(vorn::ProgramLink(), vorn::DebugMode);
    vorn::win32::TForm1 form(vorn::ProgramLink(), machine);
    form.Show(showCommand);
    if (!file.empty()) form.OpenFile(vorn::win32::Utf8(file));
    return vorn::win32::RunMessageLoop(form);
}
