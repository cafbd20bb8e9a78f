#pragma once
// "Simulator Link" on Windows: a modal dialog from an in-memory template.
#include <windows.h>

#include "workbench/window_core.h"

namespace vorn::win32 {

// Control ids, for tests that fill the dialog as a user would.
enum LinkDialogId : int {
    kIdLinkName = 1001,
    kIdLinkTimeout,
    kIdLinkAttempts,
    // One for each of kLinkDialogSwitches, in its order.
    kIdLinkReconnect,
    kIdLinkConnectAtStart,
    kIdLinkOneExchangePerTick,
    kIdLinkDefaults,
};

// False when cancelled; `values` then stays as it was.
bool ShowLinkDialog(HWND owner, LinkDialogValues& values, const LinkDialogValues& defaults);

}  // namespace vorn::win32
