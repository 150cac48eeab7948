#include "log/run_log.h"

#include <windows.h>

#include <new>

#include "platform/ascii_text.h"
#include "platform/exit_codes.h"
#include "platform/handles.h"
#include "platform/system_text.h"
#include "platform/threads.h"

namespace {
// The log is written from the main thread and from a worker (the tester's answers), one line at a time.
struct Log {
    UniqueFile file;
    CRITICAL_SECTION section;
    Log() { InitializeCriticalSection(&section); }
} g_log;

std::string twoDigits(unsigned n) {
    return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

std::string clock(const SYSTEMTIME &t) {
    return twoDigits(t.wHour) + ":" + twoDigits(t.wMinute) + ":" + twoDigits(t.wSecond);
}

void write(const std::string &bytes) {
    const Locked locked(g_log.section);
    DWORD written = 0;
    if (g_log.file) // a log that cannot take a line more goes on without it: the run is not the log's
        (void)WriteFile(g_log.file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
} // namespace

namespace runLog {
bool open(const std::string &path, const std::string &commandLine) {
    g_log.file.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!g_log.file)
        return false;
    const OSVERSIONINFOA v = windowsVersion();
    SYSTEMTIME now;
    GetLocalTime(&now);
    line({"Java Ostrel installer ", OSTREL_VERSION});
    line({"Windows ", DecimalText(v.dwMajorVersion), ".", DecimalText(v.dwMinorVersion), " build ",
          DecimalText(v.dwBuildNumber & 0xFFFF),
          v.dwPlatformId == VER_PLATFORM_WIN32_NT ? ", NT family" : ", 9x family"});
    line({"command line: ", commandLine});
    line({"started ", DecimalText(now.wYear), "-", twoDigits(now.wMonth), "-", twoDigits(now.wDay), " ",
          clock(now)});
    return true;
}

bool active() {
    return static_cast<bool>(g_log.file);
}

void line(std::initializer_list<std::string_view> pieces) {
    if (!active())
        return;
    try {
        std::string text;
        for (std::string_view piece : pieces)
            text += piece;
        SYSTEMTIME now;
        GetLocalTime(&now);
        std::string bytes;
        for (std::string::size_type begin = 0, end = 0; end != std::string::npos; begin = end + 1) {
            end = text.find('\n', begin);
            bytes += clock(now) + " " + text.substr(begin, end - begin) + "\r\n";
        }
        write(bytes);
    } catch (const std::bad_alloc &) {
        write("(a line for which memory ran out)\r\n");
    }
}

int finish(int exitCode, bool interactive) {
    line({"exit code ", DecimalText(static_cast<unsigned long>(exitCode)), " (",
          interactive ? "an installation with windows: its closing message says what happened"
                      : exitCodeMeaning(exitCode),
          ")"});
    const Locked locked(g_log.section); // a worker's line may still be on its way
    g_log.file.reset();
    return exitCode;
}
} // namespace runLog
