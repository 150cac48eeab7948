#include "install/file_replace.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "shell/handles.h"

namespace {
// The new version of a file while it is made beside the file. It removes itself on every way out unless
// it was put in place.
class TempFile {
  public:
    explicit TempFile(const std::string &destination) : path_(temporaryBeside(destination)) {
        // A stale copy left by an earlier run is overwritten, whatever attributes it was given.
        (void)SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    ~TempFile() {
        if (!placed_)
            (void)SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL), (void)DeleteFileA(path_.c_str());
    }

    const std::string &path() const { return path_; }

    // Writes the bytes; every write, the flush and the close are checked, so that a file put in place is
    // complete on disk.
    bool write(const std::string &bytes) {
        UniqueFile file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        for (std::string::size_type done = 0; file && done < bytes.size();) {
            // A short write is not a failure by itself: the next call says whether the disk is full.
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::string::size_type>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
                return false;
            done += written;
        }
        return file && FlushFileBuffers(file.get()) && CloseHandle(file.release());
    }

    // Copies source; the copy is never read-only, though a source on a CD is.
    bool copyOf(const std::string &source) {
        const DWORD attributes = CopyFileA(source.c_str(), path_.c_str(), FALSE)
                                     ? GetFileAttributesA(path_.c_str())
                                     : INVALID_FILE_ATTRIBUTES;
        return attributes != INVALID_FILE_ATTRIBUTES &&
               SetFileAttributesA(path_.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }

    // Puts the new version in place of the destination; false when that failed.
    bool place(const std::string &destination) {
        placed_ = replaceFile(destination, path_, setAsideBeside(destination), runningFamily());
        return placed_;
    }

  private:
    std::string path_;
    bool placed_ = false;
};

// The folder part of path, up to and with its last backslash: the name after it is one the installer
// places, in ASCII, so that backslash is no trail byte of a double-byte character.
std::string folderOf(const std::string &path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}
} // namespace

std::string temporaryBeside(const std::string &path) {
    return folderOf(path) + "~osnew.tmp";
}

std::string setAsideBeside(const std::string &path) {
    return folderOf(path) + "~osold.tmp";
}

ReadResult readTextFile(const std::string &path, TextFileContent &content, bool endsAtFirstCtrlZ) {
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? ReadResult::Missing
                                                                                : ReadResult::Failed;
    }
    const std::string::size_type chunk = 1u << 16;
    std::string bytes;
    for (;;) {
        const std::string::size_type used = bytes.size();
        bytes.resize(used + chunk);
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[used], static_cast<DWORD>(chunk), &got, nullptr))
            return ReadResult::Failed;
        bytes.resize(used + got);
        if (got == 0)
            break;
    }
    content = decodeTextFile(bytes, endsAtFirstCtrlZ);
    return ReadResult::Read;
}

PlatformFamily runningFamily() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996) // deprecated, yet the one call that tells the 9x family apart
#endif
    const BOOL known = GetVersionExA(&info);
    // When the family cannot be told, the 9x way is the one that works on both.
    return (known && info.dwPlatformId == VER_PLATFORM_WIN32_NT) ? PlatformFamily::Nt : PlatformFamily::Win9x;
}

bool replaceFile(const std::string &path, const std::string &newPath, const std::string &oldPath,
                 PlatformFamily family) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only file is its owner's word that it must not change. The 9x way would move it aside all the
    // same, and a replacing rename may not refuse it on every system, so it is checked here for both.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    if (family == PlatformFamily::Nt)
        return MoveFileExA(newPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (!exists)
        return MoveFileA(newPath.c_str(), path.c_str()) != FALSE; // refuses to replace one that just appeared

    (void)DeleteFileA(oldPath.c_str()); // left by an earlier run that could not delete it; the move tells
    if (!MoveFileA(path.c_str(), oldPath.c_str()))
        return false;
    if (!MoveFileA(newPath.c_str(), path.c_str())) {
        // It was there a moment ago; should even this fail, nothing else is left to try.
        (void)MoveFileA(oldPath.c_str(), path.c_str());
        return false;
    }
    (void)DeleteFileA(oldPath.c_str()); // should it stay, the next run deletes it
    return true;
}

bool replaceTextFile(const std::string &path, const TextFileContent &content) {
    TempFile temp(path);
    return temp.write(encodeTextFile(content)) && temp.place(path);
}

bool copyWhole(const std::string &source, const std::string &destination) {
    TempFile temp(destination);
    return temp.copyOf(source) && temp.place(destination);
}
