#include "platform/file_replace.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/handles.h"
#include "platform/system_text.h"

namespace {
bool present(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a file of the installer's own, whatever attributes it was given.
bool removeOwnFile(const std::string &path) {
    (void)SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != FALSE;
}

// The path with the name's extension (from its first dot) replaced. The name is one the installer places,
// in ASCII, so the backslash before it is no trail byte of a double-byte character.
std::string withExtension(const std::string &path, const char *extension) {
    return path.substr(0, path.find('.', path.find_last_of('\\') + 1)) + extension;
}

// Writes the bytes; every write, the flush and the close are checked, so that a file put in place is
// complete on disk.
bool writeWhole(const std::string &path, const std::string &bytes) {
    UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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

// A copy on disk before it takes a file's place: after a power loss it must not be there by name only.
bool flushToDisk(const std::string &path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && FlushFileBuffers(file.get()) && CloseHandle(file.release());
}

// The NT family's renames are written through to disk before they return; the 9x family has no such rename
// and none that replaces a file.
bool replaceOnNt(const std::string &from, const std::string &to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
} // namespace

std::string temporaryBeside(const std::string &path) {
    return withExtension(path, ".~nw");
}

std::string setAsideBeside(const std::string &path) {
    return withExtension(path, ".~od");
}

ReadResult readTextFile(const std::string &path, TextFileContent &content, bool endsAtFirstCtrlZ) {
    std::string bytes;
    const ReadResult read = readFileBytes(path, bytes);
    if (read == ReadResult::Read)
        content = decodeTextFile(bytes, endsAtFirstCtrlZ);
    return read;
}

ReadResult readFileBytes(const std::string &path, std::string &bytes) {
    const UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? ReadResult::Missing
                                                                                : ReadResult::Failed;
    }
    const std::string::size_type chunk = 1u << 16;
    bytes.clear();
    for (;;) {
        const std::string::size_type used = bytes.size();
        bytes.resize(used + chunk);
        DWORD got = 0;
        if (!ReadFile(file.get(), &bytes[used], static_cast<DWORD>(chunk), &got, nullptr))
            return ReadResult::Failed;
        bytes.resize(used + got);
        if (got == 0)
            return ReadResult::Read;
    }
}

PlatformFamily runningFamily() {
    // When the family cannot be told, the 9x way is the one that works on both.
    return windowsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT ? PlatformFamily::Nt
                                                                  : PlatformFamily::Win9x;
}

bool recoverInterruptedReplacement(const std::string &path) {
    const std::string setAside = setAsideBeside(path);
    if (!present(setAside))
        return true;
    if (!present(path))
        return MoveFileA(setAside.c_str(), path.c_str()) != FALSE; // the file, back under its name
    return removeOwnFile(setAside); // the file is in place: this is the version that it replaced
}

bool removeFileIfThere(const std::string &path) {
    return removeOwnFile(path) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
}

FileSet::~FileSet() {
    // Destroyed before its placing ended (memory ran out between two files): what was placed goes back.
    if (!committed_)
        takeBackPlaced();
    for (const Entry &e : entries_)
        if (!e.placed)
            (void)removeOwnFile(e.temporary);
}

bool FileSet::fail(const std::string &destination) {
    if (failed_.empty()) {
        error_ = GetLastError(); // before the copy below, which may call the system
        failed_ = destination;
    }
    return false;
}

bool FileSet::prepare(const std::string &destination) {
    if (!failed_.empty())
        return false;
    if (!recoverInterruptedReplacement(destination))
        return fail(destination);
    entries_.push_back(Entry{destination, temporaryBeside(destination), setAsideBeside(destination)});
    // A new version left by an interrupted run is overwritten, whatever attributes it was given.
    (void)SetFileAttributesA(entries_.back().temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool copyWhole(const std::string &source, const std::string &destination) {
    const char *to = destination.c_str();
    const DWORD attributes =
        CopyFileA(source.c_str(), to, FALSE) ? GetFileAttributesA(to) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesA(to, attributes & ~FILE_ATTRIBUTE_READONLY) && flushToDisk(to);
}

bool FileSet::copy(const std::string &source, const std::string &destination) {
    return prepare(destination) && (copyWhole(source, entries_.back().temporary) || fail(destination));
}

bool FileSet::write(const std::string &destination, const std::string &bytes) {
    return prepare(destination) && (writeWhole(entries_.back().temporary, bytes) || fail(destination));
}

bool FileSet::putInPlace(Entry &e) {
    const char *destination = e.destination.c_str();
    if (family_ == PlatformFamily::Nt) {
        // One rename replaces the file, so it is never missing; the copy of the old one is for taking back.
        if (e.existed && !CopyFileA(destination, e.setAside.c_str(), FALSE))
            return false;
        e.placed = replaceOnNt(e.temporary, e.destination);
    } else {
        if (e.existed && !MoveFileA(destination, e.setAside.c_str()))
            return false;
        e.placed = MoveFileA(e.temporary.c_str(), destination) != FALSE;
    }
    if (!e.placed && e.existed) {
        const DWORD error = GetLastError(); // the reason to report, not the clean-up's
        if (family_ == PlatformFamily::Nt)
            (void)removeOwnFile(e.setAside);
        else
            (void)MoveFileA(e.setAside.c_str(), destination); // it was there a moment ago
        SetLastError(error);
    }
    return e.placed;
}

void FileSet::takeBack(Entry &e) {
    // Should even this fail, the next run puts back the old version that is still under its set-aside name.
    if (e.same)
        return;
    if (family_ == PlatformFamily::Nt && e.existed)
        (void)replaceOnNt(e.setAside, e.destination);
    else if (removeOwnFile(e.destination) && e.existed)
        (void)MoveFileA(e.setAside.c_str(), e.destination.c_str());
    e.placed = false;
}

bool FileSet::place() {
    if (!failed_.empty())
        return false;
    for (Entry &e : entries_) {
        const DWORD attributes = GetFileAttributesA(e.destination.c_str());
        e.existed = attributes != INVALID_FILE_ATTRIBUTES;
        // A read-only file is its owner's word that it must not change; a replacement might not refuse it.
        if (e.existed && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
            SetLastError(ERROR_ACCESS_DENIED); // what Windows says of a write to a read-only file
            return fail(e.destination);
        }
        // A file that holds these bytes already is not replaced: no moment without it (on the 9x family no
        // rename replaces a file), and nothing to take back.
        std::string now, next;
        e.same = e.existed && readFileBytes(e.destination, now) == ReadResult::Read &&
                 readFileBytes(e.temporary, next) == ReadResult::Read && now == next;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].same) {
            entries_[i].placed = true;
            (void)removeOwnFile(entries_[i].temporary);
            continue;
        }
        if (!putInPlace(entries_[i])) {
            (void)fail(entries_[i].destination); // with the error, before taking back changes it
            takeBackPlaced();
            return false;
        }
    }
    committed_ = true;
    for (const Entry &e : entries_)
        if (e.existed && !e.same)
            (void)removeOwnFile(e.setAside); // should one stay, the next run removes it
    return true;
}

void FileSet::takeBackPlaced() {
    for (std::size_t k = entries_.size(); k-- > 0;)
        if (entries_[k].placed)
            takeBack(entries_[k]);
}

bool replaceTextFile(const std::string &path, const TextFileContent &content) {
    FileSet file(runningFamily());
    return file.write(path, encodeTextFile(content)) && file.place();
}
