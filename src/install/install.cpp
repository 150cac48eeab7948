// Installation of the bridge's files into the chosen VMs, and the system-wide CLASSPATH for 1.1 VMs.
#include <windows.h>

#include <string>

#include "install/classpath_text.h"
#include "install/config_files.h"
#include "install/system_classpath.h"
#include "log/run_log.h"
#include "platform/file_replace.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "platform/system_text.h"
#include "record/checksum.h"
#include "record/recorder.h"
#include "shared/installer.h"
#include "shared/payload.h"

namespace {
// Names at the destinations.

enum class VmKind { Java14, Java11, Java12 };

// Tested in this order: an entry with both flags set takes the 1.4 branch.
VmKind kindOf(const VmEntry &vm) {
    if (vm.isJava14)
        return VmKind::Java14;
    if (vm.isJava11)
        return VmKind::Java11;
    return VmKind::Java12;
}

// A VM can take its files only when it was verified and has the directories its kind writes into.
bool usable(const VmEntry &vm, VmKind kind) {
    if (!vm.compatible || !vm.layoutResolved || vm.homeDir.empty() || vm.extDir.empty())
        return false;
    return kind == VmKind::Java11 || !vm.libDir.empty();
}

// A path the platform cannot take whole is never cut short: the step that needs it fails instead.
bool fitsPlatform(const std::string &path) {
    return path.size() < MAX_PATH;
}

// One payload file and where it goes.
struct Copy {
    const char *sourceName;
    std::string destination;
};

// The steps of an installation and what they report: what could not be written, and which chosen VMs
// were left as they were.
class InstallSteps {
  public:
    explicit InstallSteps(Installer &installer)
        : payload_(installer.sourceDir + kPayloadDir), installer_(installer), family_(runningFamily()),
          recorder_(&installer.machineChanged) {}

    PlatformFamily family() const { return family_; }

    Recorder &recorder() { return recorder_; }

    // Copies payload files over whatever is at their destinations, all of them or none: a VM (its home, and
    // its binDir when the files give it the bridge) gets them whole, or keeps what it had. The record notes
    // them first, each with the checksum of what is placed, so that a removal can tell it from a file that
    // someone else put there since.
    bool placeTogether(const std::vector<Copy> &copies, const std::string &home, const std::string &vm) {
        FileSet files(family_);
        std::vector<Recorder::Placement> placements;
        std::vector<std::string> done;
        for (const Copy &c : copies) {
            const std::string source = payload_ + c.sourceName;
            std::string bytes;
            if (!fitsPlatform(source) || !fitsPlatform(c.destination))
                return fail(c.destination, "the path is too long");
            if (readFileBytes(source, bytes) != ReadResult::Read)
                return fail(source, systemErrorText(GetLastError()));
            if (!files.copy(source, c.destination))
                return fail(files.failed(), systemErrorText(files.error()));
            placements.push_back({c.destination, fileChecksum(bytes)});
            done.push_back((GetFileAttributesA(c.destination.c_str()) == INVALID_FILE_ATTRIBUTES
                                ? "placed "
                                : "replaced ") +
                           c.destination);
        }
        if (!recorder_.willPlace(placements, home))
            return fail(recorder_.failed(), recorder_.why());
        if (!files.place())
            return fail(files.failed(), systemErrorText(files.error()));
        installer_.machineChanged = true;
        for (const std::string &line : done)
            runLog::line({line});
        (void)recorder_.gave(vm); // should this fail, only the removal's question leaves the VM out
        return true;
    }

    bool patchAwt(const VmEntry &vm) {
        const std::string dir = vm.homeDir + vm.extDir;
        bool changed = false;
        if (!recorder_.willEditAwt(dir + kAwtProperties, vm.homeDir))
            return fail(recorder_.failed(), recorder_.why());
        if (!patchAwtProperties(dir.c_str(), kAwtProperties, &changed))
            return fail(dir + kAwtProperties, "missing, read-only or unreadable");
        runLog::line(
            {dir, kAwtProperties, changed ? ": names the bridge now" : ": named the bridge already"});
        installer_.machineChanged = installer_.machineChanged || changed;
        (void)recorder_.gave(vm.binDir);
        return true;
    }

    bool fail(const std::string &what, const std::string &why = std::string()) {
        runLog::line({"not written: ", what, why.empty() ? "" : " (", why, why.empty() ? "" : ")"});
        installer_.failedDestinations.push_back(what);
        return false;
    }
    void leave(const VmEntry &vm) {
        runLog::line({"left as it was: the Java VM in ", vm.binDir});
        installer_.vmsLeftAsTheyWere.push_back(vm.binDir);
    }

  private:
    std::string payload_;
    Installer &installer_;
    PlatformFamily family_;
    Recorder recorder_;
};

// Extends the system-wide CLASSPATH in the registry with the two jars in target. The value keeps its
// type (REG_EXPAND_SZ stays expandable); a value that is not a string is left alone. after: the value now.
bool extendRegistryClasspath(const std::string &target, Recorder &recorder, bool &changed,
                             std::string &after) {
    UniqueKey key;
    if (!createMachineKey(kEnvironmentKey, KEY_ALL_ACCESS, key))
        return false;
    DWORD type = REG_SZ;
    std::string data;
    const LONG rc = readRegistryValue(key.get(), kClasspathValue, type, data);
    if (rc == ERROR_FILE_NOT_FOUND) {
        type = REG_SZ; // an absent value counts as an empty text
        data.clear();
    } else if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }

    const std::string oldText = registryStringText(data);
    const std::string text = extendedClasspath(oldText, target, ansiLeadByte);
    after = text;
    runLog::line({"CLASSPATH before: ", rc == ERROR_FILE_NOT_FOUND ? std::string_view("(none)") : oldText});
    if (text == oldText) { // a second run: nothing to write or announce
        runLog::line({"CLASSPATH holds the jars already"});
        return true;
    }
    if (!recorder.willExtendClasspath(
            rc == ERROR_FILE_NOT_FOUND ? std::nullopt : std::optional<std::string>(oldText), target) ||
        RegSetValueExA(key.get(), kClasspathValue, 0, type, reinterpret_cast<const BYTE *>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
        return false;
    changed = true;
    runLog::line({"CLASSPATH after: ", text});
    (void)RegFlushKey(key.get()); // the value is written; the flush only hastens it to disk
    announceEnvironmentChange();
    return true;
}

// Puts the jars in target into the system-wide CLASSPATH: in the registry on the NT family, in autoexec.bat
// (read at the next start) on the 9x family.
bool extendClasspath(InstallSteps &steps, Installer &installer, const std::string &target) {
    if (steps.family() == PlatformFamily::Nt)
        return extendRegistryClasspath(target, steps.recorder(), installer.machineChanged,
                                       installer.classpathAfter) ||
               steps.fail(kClasspathFullName);
    const std::string autoexec = autoexecPath();
    const std::string::size_type name = autoexec.find_last_of('\\') + 1;
    if (!steps.recorder().willEditAutoexec(autoexec, target))
        return steps.fail(steps.recorder().failed(), steps.recorder().why());
    bool changed = false;
    if (!patchAutoexec(autoexec.substr(0, name).c_str(), autoexec.c_str() + name, target.c_str(), &changed))
        return steps.fail(autoexec);
    installer.machineChanged = installer.machineChanged || changed;
    // Named there already (by an earlier run, maybe one cut short), the jars are in effect only once the
    // system has started with it since: then it gave this program a CLASSPATH that names them.
    const bool inEffect = missingJars(installer.inheritedClasspath, target, ansiLeadByte).empty();
    if (!changed && !inEffect)
        runLog::line({autoexec, " names the jars, but the system has not started with it since"});
    installer.restartNeeded = installer.restartNeeded || changed || !inEffect;
    // What autoexec.bat gives programs once the system has started with it.
    installer.classpathAfter = extendedClasspath(installer.inheritedClasspath, target, ansiLeadByte);
    return true;
}
} // namespace

// The bridge's files go into the system directory and the chosen VMs; a VM's configuration is written only
// once every file it names is in place, so that no VM is left naming a bridge that is not there.
int Installer::install() {
    failedDestinations.clear();
    vmsLeftAsTheyWere.clear();
    classpathAfter.clear();
    restartNeeded = false;
    machineChanged = false;
    for (const VmEntry *vm = vmList.get(); vm != nullptr; vm = vm->next.get())
        if (vm->selected && !usable(*vm, kindOf(*vm)))
            return -1; // nothing has been changed

    InstallSteps steps(*this);
    const std::string system = systemDirectory();
    // The bridge's jars load its DLLs: without all three in place no VM is given the bridge.
    const bool dllsPlaced = steps.placeTogether({{kJavaOstrelDll, system + kJavaOstrelDll},
                                                 {kWindowsOstrelDll, system + kWindowsOstrelDll},
                                                 {kJawtOstrelDll, system + kJawtOstrelDll}},
                                                std::string(), std::string());
    // Counted as one more user of each shared DLL, so that a removal takes them only with their last user.
    for (const char *dll : {kJavaOstrelDll, kWindowsOstrelDll, kJawtOstrelDll}) {
        if (!dllsPlaced)
            break;
        unsigned long count = 0;
        const bool counted = steps.recorder().countDll(system + dll, count);
        if (count != 0)
            runLog::line({"SharedDLLs count of ", system + dll, ": ", DecimalText(count)});
        if (!counted)
            steps.fail(steps.recorder().failed(), steps.recorder().why());
    }
    const VmEntry *first11 = nullptr; // its library directory takes the 1.1 jars
    for (const VmEntry *vm = vmList.get(); vm != nullptr; vm = vm->next.get()) {
        if (!vm->selected)
            continue;
        const VmKind kind = kindOf(*vm);
        if (kind == VmKind::Java11) {
            first11 = first11 ? first11 : vm;
            continue;
        }
        const std::string lib = vm->homeDir + vm->libDir, ext = vm->homeDir + vm->extDir;
        // accessibility.properties names the jars: it is placed with them, last.
        if (!dllsPlaced ||
            !steps.placeTogether({{kind == VmKind::Java14 ? kTamrix14 : kTamrix12, ext + kTamrixJar},
                                  {kOstrelJar, ext + kOstrelJar},
                                  {kAccessibilityProperties, lib + kAccessibilityProperties}},
                                 vm->homeDir, vm->binDir))
            steps.leave(*vm);
    }
    if (first11 == nullptr)
        return 0;

    // A 1.1 VM finds the bridge through CLASSPATH: its awt.properties names the bridge only once the jars
    // are in place and CLASSPATH names them.
    const std::string target11 = first11->homeDir + first11->extDir;
    const bool jarsReachable =
        dllsPlaced &&
        steps.placeTogether({{kTamrix11, target11 + kTamrixJar}, {kOstrelJar, target11 + kOstrelJar}},
                            first11->homeDir, std::string()) &&
        extendClasspath(steps, *this, target11);
    for (const VmEntry *vm = first11; vm != nullptr; vm = vm->next.get())
        if (vm->selected && kindOf(*vm) == VmKind::Java11 && !(jarsReachable && steps.patchAwt(*vm)))
            steps.leave(*vm);
    return restartNeeded ? 1 : 0; // a restart only for autoexec.bat
}
