#include "install/file_replace.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "shell/handles.h"

namespace {
// The temporary file while it is written. It owns its handle so that the close can be checked, and it
// removes the file on every way out unless the file was put in place.
class TempFile {
  public:
    explicit TempFile(std::string path) : path_(std::move(path)) {}
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    ~TempFile() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        if (created_ && !placed_)
            (void)DeleteFileA(path_.c_str()); // nothing better to do when even that fails
    }

    bool create() {
        // A stale copy left by an earlier run is overwritten, whatever attributes it was given.
        (void)SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        handle_ = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
        created_ = handle_ != INVALID_HANDLE_VALUE;
        return created_;
    }

    bool write(const std::string &bytes) {
        std::string::size_type done = 0;
        while (done < bytes.size()) {
            // A short write is not a failure by itself: the next call says whether the disk is full.
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::string::size_type>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr) || written == 0)
                return false;
            done += written;
        }
        return true;
    }

    // Flushed before the close, so that a file put in place is complete on disk.
    bool finish() {
        const bool flushed = FlushFileBuffers(handle_) != FALSE;
        const bool closed = CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != FALSE;
        return flushed && closed;
    }

    void placed() { placed_ = true; }

  private:
    std::string path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool created_ = false;
    bool placed_ = false;
};
} // namespace

ReadResult readTextFile(const std::string &path, TextFileContent &content) {
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
    content = decodeTextFile(bytes);
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
    // A read-only file must stay as it is. The 9x way would move it aside all the same, and Wine's
    // replacing rename does not refuse it as Windows does, so this is checked here for both.
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

bool replaceTextFile(const std::string &path, const TextFileContent &content, const std::string &tempPath,
                     const std::string &oldPath) {
    const std::string bytes = encodeTextFile(content);
    TempFile temp(tempPath);
    if (!temp.create() || !temp.write(bytes) || !temp.finish())
        return false;
    if (!replaceFile(path, tempPath, oldPath, runningFamily()))
        return false;
    temp.placed();
    return true;
}
