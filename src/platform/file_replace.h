// Reading a text file whole, and replacing files by their new versions so that, whatever fails, a set of
// files holds either all its old contents or all the new ones.
#pragma once

#include <string>
#include <vector>

#include "platform/text_file.h"

// Where the new version of a file is made before it takes the file's place, and where the old version is
// kept meanwhile: beside the file, under names of the installer's own made from its name ("ostrel.jar":
// "ostrel.~nw" and "ostrel.~od"), so that each file placed has names of its own and they fit wherever the
// file fits.
std::string temporaryBeside(const std::string &path);
std::string setAsideBeside(const std::string &path);

enum class ReadResult { Read, Missing, Failed };

// The whole file, decoded as text (see decodeTextFile). Missing when neither the file nor its directory
// exists; Failed when it exists but cannot be read (then nothing may be written in its place).
ReadResult readTextFile(const std::string &path, TextFileContent &content, bool endsAtFirstCtrlZ);
ReadResult readFileBytes(const std::string &path, std::string &bytes);

enum class PlatformFamily { Nt, Win9x };

// The family of the running system, as GetVersionExA tells it.
PlatformFamily runningFamily();

// Settles what a replacement cut short (a power loss) left beside `path`: a file that is only under its
// set-aside name is put back under its own, and the old version that a finished replacement left beside
// its file is removed. False when the file could not be put back: it must not be read as missing then.
bool recoverInterruptedReplacement(const std::string &path);

// A copy of `source` at `destination`, written through to disk and never read-only (though a source on a CD
// is): complete before anything may take it for the file.
bool copyWhole(const std::string &source, const std::string &destination);

// Deletes a file, read-only or not; true also when it (or its folder) is not there.
bool removeFileIfThere(const std::string &path);

// Files that are put in place together or not at all: the files of one VM, or one edited file. Each new
// version is made beside its destination, written whole and flushed to disk, before any destination is
// touched; then each takes its destination's place, the old version kept aside until all are in place. When
// one cannot be placed (a read-only file, a file held open), those placed before it get their old versions
// back. Nothing is left beside the files either way.
class FileSet {
  public:
    explicit FileSet(PlatformFamily family) : family_(family) {}
    FileSet(const FileSet &) = delete;
    FileSet &operator=(const FileSet &) = delete;
    // Removes every new version that was not placed; when the placing did not end (an exception between two
    // files), the files placed get their old versions back first.
    ~FileSet();

    // Prepare one destination: a copy of `source` (never read-only, though a source on a CD is) or the
    // bytes. False when it could not be made; then the set can no longer be placed.
    bool copy(const std::string &source, const std::string &destination);
    bool write(const std::string &destination, const std::string &bytes);

    // Puts every prepared file in place; false when that failed and every destination is as it was.
    bool place();
    // The destination that could not be prepared or placed.
    const std::string &failed() const { return failed_; }
    unsigned long error() const { return error_; } // the system's error then

  private:
    struct Entry {
        std::string destination, temporary, setAside;
        bool existed = false, placed = false;
        bool same = false; // the file holds these bytes already: it stays as it is
    };
    bool prepare(const std::string &destination);
    bool putInPlace(Entry &e);
    void takeBack(Entry &e);
    void takeBackPlaced(); // in reverse order
    bool fail(const std::string &destination);

    PlatformFamily family_;
    std::vector<Entry> entries_;
    std::string failed_;
    unsigned long error_ = 0;
    bool committed_ = false; // every file is in place and stays
};

// Replaces one text file by `content`, as a set of one file.
bool replaceTextFile(const std::string &path, const TextFileContent &content);
