// A system error as the log and the closing messages name it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/ascii_text.h"
#include "platform/handles.h"

// "error N: its text", or "error N" when the system has no text for it.
inline std::string systemErrorText(unsigned long code) {
    char *text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    const UniqueLocal owner(text); // freed also when building the message runs out of memory
    std::string message = "error " + decimal(code);
    if (length != 0 && text != nullptr) {
        std::string words(text, length);
        while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
            words.pop_back();
        message += ": " + words;
    }
    return message;
}
