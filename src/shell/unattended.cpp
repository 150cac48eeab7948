// The quiet installation (/quiet): the wizard's work with no window, as an administrator's tool runs it.
#include <windows.h>

#include <new>

#include "discovery/drive_dialog.h"
#include "discovery/drive_search.h"
#include "log/run_log.h"
#include "platform/exit_codes.h"
#include "platform/handles.h"
#include "shared/installer.h"
#include "shared/protocol.h"
#include "verify/verify_worker.h"

namespace {
// The finds of a drive search, straight into the VM list.
class Finds final : public SearchReports {
  public:
    explicit Finds(Installer &installer) : installer_(installer) {}
    bool report(UINT message, const std::string &dir) override {
        if (message == WM_VM_FOUND)
            installer_.keepFind(dir.c_str(), "drive search");
        return true;
    }

  private:
    Installer &installer_;
};

// As the verifying dialog and the pruning after it: each VM is tested once, and those that failed leave the
// list before a search adds more.
void verifyAndPrune(Installer &installer) {
    (void)verifyEach(installer.vmList.get(), nullptr, [](const VmEntry &) { return true; });
    (void)installer.resolveAndPrune();
}
} // namespace

int Installer::runQuiet(const std::vector<char> &searchDrives) {
    try {
        clearClasspath();
        if (!sourceDirUsable()) {
            runLog::line({"the start-up folder is too long to name the installer's files: ", sourceDir});
            return kExitIncomplete;
        }
        (void)scanPath();
        (void)scanRegistry();
        (void)collectCandidates();
        verifyAndPrune(*this);
        if (!searchDrives.empty()) {
            ChosenDrives chosen = {};
            for (char letter : searchDrives)
                chosen[letter - 'A'] = 1;
            Finds finds(*this);
            {
                const CurrentDirectoryGuard restore;
                const CriticalErrorBoxesOff quiet;
                (void)searchChosenDrives(finds, chosen);
            }
            verifyAndPrune(*this);
        }
        if (!vmList)
            return kExitNoVm;
        for (VmEntry *e = vmList.get(); e != nullptr; e = e->next.get())
            e->selected = 1; // as "Install in All"
        const int result = install();
        if (result >= 0)
            proveInstallation();
        if (result < 0 || incomplete()) {
            if (restartNeeded) // the exit code can say one thing only; the log says the other
                runLog::line({"the system must be restarted: autoexec.bat changed"});
            return kExitIncomplete;
        }
        return result == 1 ? kExitRestartNeeded : kExitDone;
    } catch (const std::bad_alloc &) {
        runLog::line({"memory ran out"});
        return kExitIncomplete;
    }
}
