#include "test_support.h"

#include <vector>

namespace {
unsigned g_tempCounter = 0;
}

TempDir::TempDir(const char *tag) {
    char base[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof base, base);
    std::string root = (n > 0 && n < sizeof base) ? std::string(base, n) : std::string("C:\\");
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    for (;;) {
        path_ = root + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++g_tempCounter);
        if (CreateDirectoryA(path_.c_str(), nullptr))
            break;
    }
}

TempDir::~TempDir() {
    removeTree(path_);
}

bool makeDirs(const std::string &path) {
    if (path.empty())
        return false;
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        makeDirs(path.substr(0, slash));
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeFile(const std::string &path, const std::string &content) {
    const std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos)
        makeDirs(path.substr(0, slash));
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == content.size();
}

bool readFile(const std::string &path, std::string &content) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    content.clear();
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        content.append(buf, got);
    CloseHandle(h);
    return true;
}

bool fileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void removeTree(const std::string &path) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeTree(child);
            else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(child.c_str());
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

void deleteMachineTree(const char *subkey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char name[256];
    for (;;) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        deleteMachineTree((std::string(subkey) + "\\" + name).c_str());
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey);
}

bool setMachineValue(const char *subkey, const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool setMachineString(const char *subkey, const char *name, const std::string &text) {
    return setMachineValue(subkey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

std::string hostPathFromEnv(const char *variable) {
    char buf[4096];
    DWORD n = GetEnvironmentVariableA(variable, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return std::string();
    std::string path(buf, n);
    if (!path.empty() && path[0] == '/') {
        // A Linux path: the Z: drive of the test prefix maps the host's root.
        for (char &c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

std::string lowerAscii(std::string path) {
    for (char &c : path)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return path;
}

std::string fileContent(const std::string &path) {
    std::string content;
    return readFile(path, content) ? content : std::string("<missing>");
}

std::string systemDirectory() {
    char buf[MAX_PATH];
    const UINT n = GetSystemDirectoryA(buf, sizeof buf);
    return n < sizeof buf ? std::string(buf, n) : std::string();
}

void setWindowsVersion(const char *version) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (version)
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(version),
                       static_cast<DWORD>(strlen(version) + 1));
    else
        RegDeleteValueA(key, "Version");
    RegCloseKey(key);
}
