// Helpers shared by the tests that run under Wine: real folders, files and registry keys.
#pragma once

#include <windows.h>

#include <string>

// A fresh folder under the temporary directory, removed with everything in it at the end of the scope.
class TempDir {
  public:
    explicit TempDir(const char *tag = "ostrel");
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string operator/(const std::string &rel) const { return path_ + "\\" + rel; }

  private:
    std::string path_;
};

// Creates a folder and all its parents.
bool makeDirs(const std::string &path);
// Writes a file (binary), creating its folder.
bool writeFile(const std::string &path, const std::string &content);
// The whole content of a file; false when it cannot be read.
bool readFile(const std::string &path, std::string &content);
bool fileExists(const std::string &path);
// Removes a folder tree.
void removeTree(const std::string &path);

// Deletes a registry tree under HKEY_LOCAL_MACHINE (no error when absent).
void deleteMachineTree(const char *subkey);
// Sets a value under HKEY_LOCAL_MACHINE, creating the key.
bool setMachineValue(const char *subkey, const char *name, DWORD type, const void *data, DWORD size);
bool setMachineString(const char *subkey, const char *name, const std::string &text);

// The path with its ASCII capitals lower-cased, as the installer shows and uses a VM's folders.
std::string lowerAscii(std::string path);
// A file's whole content, or "<missing>" when it cannot be read.
std::string fileContent(const std::string &path);
// The system directory, as the installer asks for it.
std::string systemDirectory();

// Switches the prefix to the 9x family (version "win98") or back (null), for processes started later:
// Wine fixes a process's version when it starts.
void setWindowsVersion(const char *version);

// A path handed over from the Linux side as an environment variable, as Windows sees it.
std::string hostPathFromEnv(const char *variable);
