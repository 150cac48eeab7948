// Discovery in the common places: PATH and the VM vendor's registry keys.
#include <windows.h>

#include <string>

#include "discovery/path_pieces.h"
#include "discovery/registry_keys.h"
#include "shell/handles.h"
#include "shell/installer.h"

namespace {
// The value of an environment variable of this process; false when it is not set.
bool readEnvironment(const char *name, std::string &value) {
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0); // counts the terminator, so 0 means unset
    if (size == 0)
        return false;
    while (true) {
        std::string buffer(size, '\0');
        DWORD len = GetEnvironmentVariableA(name, &buffer[0], size);
        if (len == 0)
            return false;
        if (len < size) {
            buffer.resize(len);
            value = std::move(buffer);
            return true;
        }
        size = len; // changed meanwhile
    }
}

// Environment references in text expanded; the text as it stands when the expansion fails.
std::string expandReferences(const std::string &text) {
    char probe[2];
    DWORD needed = ExpandEnvironmentStringsA(text.c_str(), probe, sizeof probe);
    if (needed == 0)
        return text;
    std::string buffer(needed + 1, '\0');
    DWORD written = ExpandEnvironmentStringsA(text.c_str(), &buffer[0], needed + 1);
    if (written == 0 || written > needed + 1)
        return text;
    buffer.resize(written - 1); // written counts the terminator
    return buffer;
}

// The raw data and type of a registry value; false when it is missing or cannot be read.
bool readRegistryValue(HKEY key, const char *name, std::string &data, DWORD &type) {
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        data.assign(size, '\0');
        DWORD got = size;
        rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&data[0]), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return true;
        }
        size = got; // grew meanwhile: ask again with the size now reported
    }
    return false;
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
        (void)pushPathEntry(list, piece.c_str()); // a piece that cannot be stored is dropped
    pathList = std::move(list);
    return 1;
}

int Installer::scanRegistry() {
    for (const char *keyName : kJavaHomeKeys) {
        HKEY raw = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &raw) != ERROR_SUCCESS)
            continue;
        UniqueKey key(raw);
        std::string data;
        DWORD type = REG_NONE;
        if (!readRegistryValue(key.get(), kJavaHomeValue, data, type))
            continue;
        const bool isString = type == REG_SZ || type == REG_EXPAND_SZ;
        if (std::optional<std::string> dir = javaHomeBinDir(data, isString))
            (void)pushPathEntry(pathList, dir->c_str());
    }
    return 1;
}

int Installer::collectCandidates() {
    for (const PathEntry *p = pathList.get(); p != nullptr; p = p->next.get()) {
        if (hasLauncher(p->dir.c_str()))
            (void)pushVmEntry(vmList, p->dir.c_str());
    }
    return 1;
}

int Installer::hasLauncher(const char *dir) {
    if (!startsWithLetter(dir))
        return 0;
    CurrentDirectoryGuard restore;
    if (!SetCurrentDirectoryA(dir))
        return 0;
    return entryExists("java.exe") || entryExists("jre.exe") ? 1 : 0;
}
