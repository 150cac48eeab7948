// The drive search: the worker of the searching dialog, which walks the chosen drives and reports every
// directory that holds "java.exe".
#pragma once

#include <windows.h>

#include <string>

#include "discovery/drive_dialog.h"

// The worker: searches the drives marked in g_selectedDrives, in alphabetical order, reporting to
// g_searchingDialog. Posts WM_WORK_DONE when it has searched them all; after a cancellation it sends
// nothing more. The current drive and directory are as before when it ends, either way.
void driveSearchWorker();

// Takes the reports of a search in the order of the search: WM_PROGRESS_TEXT or WM_VM_FOUND with a
// directory. Returns false when the search is to stop.
class SearchReports {
  public:
    virtual bool report(UINT message, const std::string &dir) = 0;

  protected:
    ~SearchReports() = default;
};

// Searches dir (a full path, "X:\" for a drive's root) and the tree below it: reports dir as a find
// when it holds "java.exe", and otherwise reports it as progress before each of its subdirectories,
// which it searches in turn. Works by full paths and leaves the current directory alone. Returns false
// once a report was refused.
bool searchDirectory(SearchReports &reports, const std::string &dir);

// Searches the drives marked in `chosen` (as g_selectedDrives marks them), in alphabetical order, on this
// thread; a drive that cannot be made current is passed over. The caller keeps the current directory and
// critical-error boxes. Returns false once a report was refused.
bool searchChosenDrives(SearchReports &reports, const ChosenDrives &chosen);

// The letter of drive number n (1 for A:).
inline char driveLetter(int drive) {
    return static_cast<char>('A' + drive - 1);
}
// Makes drive number n current; false when it cannot be (no such drive, no medium, no access).
bool makeDriveCurrent(int drive);

// Keeps the system from asking the user to insert a disk while a scope probes drives: a drive without
// a medium must simply fail. Restores the previous mode at the end of the scope.
class CriticalErrorBoxesOff {
  public:
    CriticalErrorBoxesOff() : saved_(SetErrorMode(SEM_FAILCRITICALERRORS)) {
        (void)SetErrorMode(saved_ | SEM_FAILCRITICALERRORS); // keep whatever else was set
    }
    ~CriticalErrorBoxesOff() { (void)SetErrorMode(saved_); }
    CriticalErrorBoxesOff(const CriticalErrorBoxesOff &) = delete;
    CriticalErrorBoxesOff &operator=(const CriticalErrorBoxesOff &) = delete;

  private:
    UINT saved_;
};
