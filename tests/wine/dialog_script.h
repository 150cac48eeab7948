// A user who works a dialog of this process from a second thread while the test's thread shows it.
#pragma once

#include <windows.h>

#include <functional>
#include <process.h>

#include <gtest/gtest.h>

struct UserScript {
    const char *caption;           // the dialog to wait for
    std::function<void(HWND)> act; // what the user does in it
    HWND dialog = nullptr;         // the dialog, once found
};

inline unsigned __stdcall runUserScript(void *p) {
    auto *s = static_cast<UserScript *>(p);
    for (int i = 0; i < 500 && !s->dialog; ++i) {
        HWND w = FindWindowA("#32770", s->caption);
        if (w && IsWindowVisible(w))
            s->dialog = w;
        else
            Sleep(10);
    }
    if (s->dialog)
        s->act(s->dialog);
    return 0;
}

// Shows a dialog on this thread while the script works it; returns the dialog's result.
inline int showWithScript(int (*show)(), UserScript &script) {
    HANDLE t = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, runUserScript, &script, 0, nullptr));
    const int result = show();
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    EXPECT_NE(script.dialog, nullptr) << "the dialog \"" << script.caption << "\" never appeared";
    return result;
}
