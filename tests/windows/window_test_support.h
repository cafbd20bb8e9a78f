#pragma once
// What the Win32 window tests share: running the thread's message loop for a
// while, and a hook that sees each window becoming active (message boxes,
// dialogs), so that a test can answer it as a user would.
#include <windows.h>

#include <chrono>
#include <functional>

namespace vorn::test {

// Dispatches what is queued, then goes on for up to `ms` while `until` is
// false; `pre` may take a message first (the window's accelerators).
inline void PumpWindowMessages(int ms = 0, const std::function<bool()>& until = nullptr,
                               const std::function<bool(MSG&)>& pre = nullptr) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            if (pre && pre(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if ((until && until()) || std::chrono::steady_clock::now() >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// While it lives, `activated` gets every window of this thread that becomes active.
class ActivationHook {
public:
    explicit ActivationHook(std::function<void(HWND)> activated) : activated_(std::move(activated)) {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &ActivationHook::Hook, nullptr, GetCurrentThreadId());
    }
    ~ActivationHook() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    ActivationHook(const ActivationHook&) = delete;
    ActivationHook& operator=(const ActivationHook&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_ACTIVATE && current_ != nullptr) current_->activated_(reinterpret_cast<HWND>(wp));
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline ActivationHook* current_ = nullptr;
    HHOOK hook_ = nullptr;
    std::function<void(HWND)> activated_;
};

}  // namespace vorn::test
