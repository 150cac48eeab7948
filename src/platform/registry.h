// The registry as the installer reads and writes it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles.h"

// Opens HKEY_LOCAL_MACHINE\\path with `access` into key, creating the key when it is not there; *created,
// when given, tells whether it was. False when it can be neither opened nor created.
inline bool createMachineKey(const char *path, REGSAM access, UniqueKey &key, bool *created = nullptr) {
    char noClass[] = "";
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, noClass, REG_OPTION_NON_VOLATILE, access, nullptr,
                        key.put(), &disposition) != ERROR_SUCCESS)
        return false;
    if (created)
        *created = disposition == REG_CREATED_NEW_KEY;
    return true;
}

// A registry value whole: its type and bytes. ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when there is none, or
// the error that kept it from being read.
inline LONG readRegistryValue(HKEY key, const char *name, DWORD &type, std::string &data) {
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        data.assign(size, '\0');
        DWORD got = size;
        rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&data[0]), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return rc;
        }
        size = got; // it grew meanwhile: again with the size now reported
    }
    return rc;
}
