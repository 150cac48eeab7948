#include "discovery/drive_search.h"

#include <cstddef>
#include <deque>
#include <new>
#include <vector>

#include "discovery/drive_dialog.h"
#include "log/run_log.h"
#include "platform/ascii_text.h"
#include "platform/handles.h"
#include "platform/threads.h"
#include "shared/protocol.h"

namespace {
// True when name is "java.exe" in any case. A name equal to it ignoring case is plain ASCII, so an
// ASCII comparison is exact whatever the code page.
bool isLauncherName(const char *name) {
    return sameIgnoringAsciiCase(name, "java.exe");
}

// A listed entry that the search enters: a directory whose name does not begin with "." (which also
// skips "." and ".."). A reparse point (junction, symbolic link, mounted volume) is not entered: what it
// leads to is searched where it really lies, and links may form cycles.
bool isSearchable(const WIN32_FIND_DATAA &entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && entry.cFileName[0] != '.';
}

bool isDriveRoot(const std::string &dir) {
    return dir.size() == 3 && dir[1] == ':' && dir[2] == '\\';
}

std::string driveRoot(int drive) {
    return std::string(1, driveLetter(drive)) + ":\\";
}

// What one pass over a directory yields: whether it holds the launcher, and else the subdirectories to
// enter, in the order in which the file system listed them.
struct Listing {
    bool holdsLauncher = false;
    std::vector<std::string> subdirectories;
};

// Lists a directory once, by the pattern "<prefix>*.*": a single pass both looks for "java.exe" and
// collects the subdirectories, and the listing is closed before any of them is searched. False when the
// directory cannot be listed, which makes it count as empty.
bool listDirectory(const std::string &prefix, Listing &listing) {
    WIN32_FIND_DATAA entry;
    const UniqueFind find(FindFirstFileA((prefix + "*.*").c_str(), &entry));
    if (!find)
        return false;
    do {
        if (isLauncherName(entry.cFileName)) {
            listing.holdsLauncher = true; // its subdirectories are not searched: no need to read on
            return true;
        }
        if (isSearchable(entry))
            listing.subdirectories.emplace_back(entry.cFileName);
    } while (FindNextFileA(find.get(), &entry));
    return true;
}
} // namespace

bool searchChosenDrives(SearchReports &reports, const ChosenDrives &chosen) {
    for (int drive = 1; drive <= kDriveCount; ++drive) {
        if (chosen[drive - 1] != 1)
            continue;
        const std::string root = driveRoot(drive);
        if (!SetCurrentDirectoryA(root.c_str())) { // gone or without a medium since it was chosen
            runLog::line({"drive ", root, " cannot be searched"});
            continue;
        }
        if (!searchDirectory(reports, root))
            return false;
    }
    return true;
}

namespace {
struct Report {
    UINT message = 0;
    std::string dir;
};

// The reports on their way from the lister thread, which walks the drives, to the worker thread, which
// sends each one to the dialog and waits until it is handled. A report costs the dialog's thread a
// wake-up and the worker a wait, about as long as listing a directory; with the two on separate threads
// the walk goes on meanwhile. The lister runs ahead by at most kCapacity reports.
class ReportQueue final : public SearchReports {
  public:
    explicit ReportQueue(HANDLE token)
        : token_(token), notEmpty_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
          notFull_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
        InitializeCriticalSection(&section_);
    }
    ~ReportQueue() { DeleteCriticalSection(&section_); }
    ReportQueue(const ReportQueue &) = delete;
    ReportQueue &operator=(const ReportQueue &) = delete;

    bool usable() const { return token_ != nullptr && notEmpty_ && notFull_; }

    // The lister's side: waits while the queue is full; false once the worker has stopped taking.
    bool report(UINT message, const std::string &dir) override {
        Locked locked(section_);
        while (reports_.size() >= kCapacity && !stopped_) {
            reporterWaiting_ = true;
            const HANDLE notFull = notFull_.get();
            (void)locked.waitUnlocked(1, &notFull);
        }
        if (stopped_)
            return false;
        reports_.push_back(Report{message, dir});
        wake(takerWaiting_, notEmpty_);
        return true;
    }
    // The walk is over, complete or not (memory ran out).
    void finish(bool failed) {
        Locked locked(section_);
        finished_ = true;
        failed_ = failed;
        wake(takerWaiting_, notEmpty_);
    }
    bool failed() {
        Locked locked(section_);
        return failed_;
    }

    // The worker's side: the next report; false when none is to come or the token says stop.
    bool take(Report &next) {
        Locked locked(section_);
        while (reports_.empty() && !finished_) {
            takerWaiting_ = true;
            const HANDLE objects[] = {notEmpty_.get(), token_};
            if (locked.waitUnlocked(2, objects) != WAIT_OBJECT_0) {
                takerWaiting_ = false;
                return false;
            }
        }
        if (reports_.empty())
            return false;
        next = std::move(reports_.front());
        reports_.pop_front();
        if (reports_.size() <= kCapacity / 2) // wake the lister for a batch, not for every report
            wake(reporterWaiting_, notFull_);
        return true;
    }
    // No further report is wanted: the lister stops at its next one.
    void stop() {
        Locked locked(section_);
        stopped_ = true;
        wake(reporterWaiting_, notFull_);
    }

  private:
    static constexpr std::size_t kCapacity = 512;

    // Signals a side that waits, and only then: each signal is a call into the system.
    static void wake(bool &waiting, const UniqueObject &event) {
        if (waiting) {
            waiting = false;
            (void)SetEvent(event.get());
        }
    }

    HANDLE token_;
    UniqueObject notEmpty_, notFull_; // auto-reset
    CRITICAL_SECTION section_;
    std::deque<Report> reports_;
    bool finished_ = false, stopped_ = false, failed_ = false;
    bool takerWaiting_ = false, reporterWaiting_ = false;
};

// What the lister thread searches, and where it reports.
struct ListerWork {
    ReportQueue &reports;
    const ChosenDrives &chosen;
};

unsigned __stdcall listerThread(void *work) {
    const ListerWork &w = *static_cast<ListerWork *>(work);
    ReportQueue &reports = w.reports;
    bool failed = false;
    try {
        (void)searchChosenDrives(reports, w.chosen); // a stop is the worker's own decision: it knows why
    } catch (const std::bad_alloc &) {
        failed = true; // a search that left out folders must not pass for a complete one
    }
    reports.finish(failed);
    return 0;
}

// Sends each report to the dialog after a poll of the token; false once cancelled.
bool sendReports(ReportQueue &queue, HWND dialog, HANDLE token) {
    Report next;
    while (queue.take(next)) {
        if (!workerMayContinue(token))
            return false;
        (void)SendMessageA(dialog, next.message, 0, reinterpret_cast<LPARAM>(next.dir.c_str()));
    }
    return workerMayContinue(token);
}

// Walks the chosen drives on a lister thread while this thread reports to the dialog; false once
// cancelled, or when the lister cannot be started (the dialog then stays until the user cancels).
bool searchDrives(HWND dialog, HANDLE token) {
    ReportQueue queue(token);
    if (!queue.usable())
        return false;
    ListerWork work = {queue, g_selectedDrives};
    const UniqueObject lister = startThread(listerThread, &work);
    if (!lister)
        return false;
    const bool finished = sendReports(queue, dialog, token);
    queue.stop();
    (void)WaitForSingleObject(lister.get(), INFINITE); // at most the listing under way: then it stops
    if (queue.failed())
        throw std::bad_alloc(); // the worker's thread ends the dialog as a cancel would
    return finished;
}
} // namespace

bool makeDriveCurrent(int drive) {
    const char relative[] = {driveLetter(drive), ':', '\0'};
    return SetCurrentDirectoryA(relative) != 0; // "X:": the drive, at its own current directory
}

bool searchDirectory(SearchReports &reports, const std::string &dir) {
    const std::string prefix = isDriveRoot(dir) ? dir : dir + '\\';
    Listing listing;
    if (!listDirectory(prefix, listing))
        return true;
    if (listing.holdsLauncher)
        return reports.report(WM_VM_FOUND, dir);
    for (const std::string &name : listing.subdirectories)
        if (!reports.report(WM_PROGRESS_TEXT, dir) || !searchDirectory(reports, prefix + name))
            return false;
    return true;
}

void driveSearchWorker() {
    const HWND dialog = g_searchingDialog;
    const HANDLE token = g_cancelToken.get(); // this dialog's token, whatever later dialogs create
    bool finished = false;
    {
        const CurrentDirectoryGuard restore; // the current drive and directory, once the lister is done
        const CriticalErrorBoxesOff quiet;
        finished = searchDrives(dialog, token);
    }
    if (finished)
        PostMessageA(dialog, WM_WORK_DONE, 0, 0); // after a cancellation the dialog is gone: send nothing
}
