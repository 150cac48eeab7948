// Discovery in the common places: PATH and the VM vendor's registry keys.
#include <windows.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "discovery/path_pieces.h"
#include "discovery/registry_keys.h"
#include "log/run_log.h"
#include "platform/ascii_text.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/system_text.h"
#include "shared/installer.h"

namespace {
struct EnvironmentBlockFree {
    void operator()(char *block) const { FreeEnvironmentStringsA(block); }
};

// The value of an environment variable of this process; false when it is not set. Read from the whole
// environment block, so that a value of any length in a double-byte code page arrives whole and is never
// cut short by a buffer sized in characters.
bool readEnvironment(const char *name, std::string &value) {
    const std::unique_ptr<char, EnvironmentBlockFree> block(GetEnvironmentStringsA());
    if (!block)
        return false;
    const std::string::size_type nameLength = std::strlen(name);
    for (const char *entry = block.get(); *entry != '\0'; entry += std::strlen(entry) + 1) {
        // Environment variable names compare with ASCII case ignored.
        if (std::strlen(entry) > nameLength && entry[nameLength] == '=' &&
            startsWithIgnoringAsciiCase(entry, 0, name)) {
            value.assign(entry + nameLength + 1);
            return true;
        }
    }
    return false;
}

// Environment references in text expanded; the text as it stands when the expansion fails. The size
// that the first call reports counts characters; in a double-byte code page a character may take two
// bytes, so the buffer allows for that, and the text is taken up to its terminator.
std::string expandReferences(const std::string &text) {
    char probe[2];
    const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), probe, sizeof probe);
    if (needed == 0)
        return text;
    const DWORD size = needed * 2 + 2;
    std::string buffer(size, '\0');
    const DWORD written = ExpandEnvironmentStringsA(text.c_str(), &buffer[0], size);
    if (written == 0 || written > size)
        return text;
    buffer.resize(buffer.find('\0'));
    return buffer;
}

// A directory to examine, and where it was named; memory that runs out ends the run rather than drop it.
void remember(std::unique_ptr<PathEntry> &list, const std::string &dir, const std::string &origin) {
    if (!pushPathEntry(list, dir.c_str()))
        throw std::bad_alloc();
    list->origin = origin;
}

bool entryExists(const char *name) {
    WIN32_FIND_DATAA found;
    UniqueFind find(FindFirstFileA(name, &found));
    return static_cast<bool>(find);
}
} // namespace

int Installer::scanPath() {
    std::string value;
    if (!readEnvironment("PATH", value))
        return 0;
    std::unique_ptr<PathEntry> list;
    for (const std::string &piece : splitPathVariable(expandReferences(value)))
        remember(list, piece, "PATH");
    pathList = std::move(list);
    return 1;
}

int Installer::scanRegistry() {
    for (const char *keyName : kJavaHomeKeys) {
        UniqueKey key;
        std::string data;
        DWORD type = REG_NONE;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
            readRegistryValue(key.get(), kJavaHomeValue, type, data) != ERROR_SUCCESS)
            continue;
        const bool isString = type == REG_SZ || type == REG_EXPAND_SZ;
        if (std::optional<std::string> dir = javaHomeBinDir(data, isString))
            remember(pathList, *dir, std::string("registry HKEY_LOCAL_MACHINE\\") + keyName);
    }
    return 1;
}

int Installer::collectCandidates() {
    // A VM is known by its full path from here on: a relative piece (jdk\bin) is resolved from the start-up
    // directory, which is current now, so that the list, the repeat check, the copies and CLASSPATH all name
    // the same folder that every program can find. Its long form, too: a PATH of the 9x family often names a
    // VM by short names (C:\JAVA~EU4\bin) that the registry names by long ones, and one VM is listed,
    // installed and recorded once.
    for (const PathEntry *p = pathList.get(); p != nullptr; p = p->next.get()) {
        if (!hasLauncher(p->dir.c_str()))
            continue;
        const std::string dir = longPathName(fullPath(p->dir));
        if (dir.empty())
            continue;
        keepFind(dir.c_str(), p->origin); // no memory to keep it: the run ends as cancelled
    }
    return 1;
}

void Installer::keepFind(const char *dir, std::string_view origin) {
    if (!pushVmEntry(vmList, dir))
        throw std::bad_alloc();
    runLog::line({"found a Java VM in ", dir, " (", origin, ")"});
}

int Installer::hasLauncher(const char *dir) {
    if (!startsWithLetter(dir))
        return 0;
    CurrentDirectoryGuard restore;
    if (!SetCurrentDirectoryA(dir))
        return 0;
    return entryExists("java.exe") || entryExists("jre.exe") ? 1 : 0;
}
