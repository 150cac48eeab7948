// Layout resolution of each VM and pruning of the VM list.
#include <windows.h>

#include "log/run_log.h"
#include "platform/handles.h"
#include "platform/system_text.h"
#include "shared/installer.h"
#include "shared/layout_rules.h"

namespace {
constexpr const char *kJreLib = "\\jre\\lib";
constexpr const char *kLib = "\\lib";
constexpr const char *kExt = "\\ext";

// A directory (a full path) counts as present when it can be made current. A path the platform cannot take
// whole counts as absent rather than being cut short.
bool directoryPresent(const std::string &path) {
    return path.size() < MAX_PATH && SetCurrentDirectoryA(path.c_str());
}
} // namespace

int VmEntry::resolveLayout() {
    if (!homeDir.empty())
        return 1; // resolved by an earlier pass: final
    CurrentDirectoryGuard restore;
    lowerAsciiLetters(binDir, ansiLeadByte);
    const std::optional<std::string> home = homeFromBinDir(binDir, ansiLeadByte);
    if (!home)
        return 0;
    homeDir = *home;
    if (isJava11 && isJava14)
        return 0; // a contradictory answer: no layout fits both generations
    if (isJava11) {
        extDir = kLib;
        layoutResolved = 1;
        return 1;
    }
    if (directoryPresent(homeDir + kJreLib))
        libDir = kJreLib;
    else if (directoryPresent(homeDir + kLib))
        libDir = kLib;
    else
        return 0;
    if (directoryPresent(homeDir + libDir + kExt)) {
        extDir = libDir + kExt;
    } else if (libDir == kLib) {
        extDir = kLib;
    } else {
        return 0; // a "\jre\lib" without "\ext" is no layout the installer knows how to fill
    }
    layoutResolved = 1;
    return 1;
}

int Installer::resolveAndPrune() {
    for (VmEntry *e = vmList.get(); e != nullptr; e = e->next.get())
        (void)e->resolveLayout();

    // Drop unusable entries and every repeat of an entry kept before it; the rest keep their order.
    std::unique_ptr<VmEntry> *link = &vmList;
    while (*link) {
        VmEntry &e = **link;
        const char *why = e.compatible == 0       ? "the tester found no VM that can carry the bridge"
                          : e.layoutResolved == 0 ? "its folders match no layout the installer knows"
                                                  : nullptr;
        for (const VmEntry *k = vmList.get(); !why && k != &e; k = k->next.get())
            if (sameIgnoringAsciiCase(k->binDir, e.binDir, ansiLeadByte))
                why = "found before";
        if (why) {
            runLog::line({"not offered: ", e.binDir, " (", why, ")"});
            *link = std::move(e.next); // destroys e
        } else {
            if (!e.logged)
                runLog::line({"offered: ", e.binDir, ", home ", e.homeDir, ", library ", e.homeDir, e.libDir,
                              ", extensions ", e.homeDir, e.extDir});
            e.logged = true;
            link = &e.next;
        }
    }
    return 1;
}
