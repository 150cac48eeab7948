#include "platform/registry.h"
#include "platform/restart_queue.h"

#include <windows.h>

#include "platform/ascii_text.h"
#include "platform/file_replace.h"
#include "platform/handles.h"
#include "platform/kernel_function.h"
#include "platform/restart_queue_text.h"
#include "platform/system_text.h"

namespace {
constexpr const char *kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char *kPendingValue = "PendingFileRenameOperations";
constexpr const char *kRenameSection = "rename";

bool onNt() {
    return runningFamily() == PlatformFamily::Nt;
}

std::string wininit() {
    return windowsDirectory() + "\\WININIT.INI";
}

// The [rename] section's lines, its others kept: WritePrivateProfileStringA would replace a key of the same
// name, and every deletion is a key "NUL".
std::vector<QueuedOperation> readRenames() {
    std::string section(32768, '\0');
    section.resize(GetPrivateProfileSectionA(kRenameSection, &section[0], static_cast<DWORD>(section.size()),
                                             wininit().c_str()));
    return renameSection(section);
}

bool writeRenames(const std::vector<QueuedOperation> &ops) {
    if (!ops.empty())
        return WritePrivateProfileSectionA(kRenameSection, renameSectionText(ops).c_str(),
                                           wininit().c_str()) != FALSE;
    // No line left: the section goes, and the file with it when nothing else is in it.
    if (!WritePrivateProfileStringA(kRenameSection, nullptr, nullptr, wininit().c_str()))
        return false;
    std::string rest;
    if (readFileBytes(wininit(), rest) == ReadResult::Read &&
        rest.find_first_not_of(" \r\n") == std::string::npos)
        (void)removeFileIfThere(wininit());
    return true;
}

// The 32-bit system directory of 64-bit Windows (SysWOW64), when this program runs there; else empty.
std::string wow64SystemDirectory() {
    using IsWow64ProcessFn = BOOL(WINAPI *)(HANDLE, PBOOL);
    using GetSystemWow64DirectoryFn = UINT(WINAPI *)(LPSTR, UINT);
    const auto isWow64 = kernelFunction<IsWow64ProcessFn>("IsWow64Process");
    const auto directory = kernelFunction<GetSystemWow64DirectoryFn>("GetSystemWow64DirectoryA");
    BOOL wow64 = FALSE;
    if (!isWow64 || !directory || !isWow64(GetCurrentProcess(), &wow64) || !wow64)
        return std::string();
    std::string dir(MAX_PATH, '\0');
    const UINT length = directory(&dir[0], MAX_PATH);
    return length > 0 && length < MAX_PATH ? dir.substr(0, length) : std::string();
}

// What the session manager must be given: see pathForSessionManager.
std::string forSessionManager(const std::string &path) {
    return pathForSessionManager(path, systemDirectory(), wow64SystemDirectory(), ansiLeadByte);
}

bool queueRename(const std::string &from, const std::string &to) {
    std::vector<QueuedOperation> ops = readRenames();
    ops.push_back({shortPathName(from), to.empty() ? "NUL" : shortPathName(to)});
    return writeRenames(ops);
}
} // namespace

bool deleteAtRestart(const std::string &path, bool folder) {
    if (onNt())
        return MoveFileExA(forSessionManager(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    return folder || queueRename(path, std::string()); // an empty folder stays on the 9x family
}

bool replaceAtRestart(const std::string &source, const std::string &destination) {
    const std::string copy = temporaryBeside(destination);
    if (!copyWhole(source, copy))
        return false;
    const bool queued =
        onNt() ? MoveFileExA(forSessionManager(copy).c_str(), forSessionManager(destination).c_str(),
                             MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != FALSE
               : queueRename(copy, destination);
    if (!queued)
        (void)removeFileIfThere(copy);
    return queued;
}

bool unqueue(const std::vector<std::string> &paths) {
    // A queued path may be written in its short form (always on the 9x family), a path given in any case.
    std::vector<std::string> ours;
    for (const std::string &path : paths) {
        ours.push_back(longPathName(path));
        ours.push_back(
            longPathName(forSessionManager(path))); // as a 32-bit program queued it on 64-bit Windows
    }
    const auto isOurs = [&](const std::string &queued) {
        const std::string name = longPathName(queued);
        for (const std::string &path : ours)
            if (sameIgnoringAsciiCase(name, path, ansiLeadByte))
                return true;
        return false;
    };
    if (!onNt()) {
        const std::vector<QueuedOperation> ops = readRenames();
        const std::vector<QueuedOperation> kept = withoutOperationsOn(ops, isOurs);
        return kept.size() == ops.size() || writeRenames(kept);
    }
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      key.put()) != ERROR_SUCCESS)
        return false;
    DWORD type = REG_MULTI_SZ;
    std::string data;
    const LONG read = readRegistryValue(key.get(), kPendingValue, type, data);
    if (read == ERROR_FILE_NOT_FOUND)
        return true;
    if (read != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return false;
    const std::vector<QueuedOperation> ops = pendingOperations(data);
    const std::vector<QueuedOperation> kept = withoutOperationsOn(ops, isOurs);
    if (kept.size() == ops.size())
        return true;
    const std::string value = pendingOperationsValue(kept);
    return (value.empty() ? RegDeleteValueA(key.get(), kPendingValue)
                          : RegSetValueExA(key.get(), kPendingValue, 0, REG_MULTI_SZ,
                                           reinterpret_cast<const BYTE *>(value.data()),
                                           static_cast<DWORD>(value.size()))) == ERROR_SUCCESS;
}
