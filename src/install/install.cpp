// Installation of the bridge's files into the chosen VMs, and the system-wide CLASSPATH for 1.1 VMs.
#include <windows.h>

#include <string>

#include "install/classpath_text.h"
#include "install/config_files.h"
#include "install/file_replace.h"
#include "shell/system_text.h"
#include "shell/handles.h"
#include "shell/installer.h"

namespace {
constexpr const char *kPayloadDir = "\\installerFiles";

// Source file names in the payload folder.
constexpr const char *kAccessibilityProperties = "\\accessibility.properties";
constexpr const char *kTamrix14 = "\\tamrix-1_4.jar";
constexpr const char *kTamrix12 = "\\tamrix-1_2.jar";
constexpr const char *kTamrix11 = "\\tamrix-1_1.jar";
constexpr const char *kOstrelJar = "\\ostrel.jar";
constexpr const char *kSystemDlls[] = {"\\JavaOstrel.dll", "\\WindowsOstrel.dll", "\\JAWTOstrel.dll"};

// Names at the destinations.
constexpr const char *kTamrixJar = "\\tamrix.jar";
constexpr const char *kAwtProperties = "\\awt.properties";
constexpr const char *kAutoexec = "autoexec.bat";

constexpr const char *kEnvironmentKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char *kClasspathValue = "CLASSPATH";
constexpr UINT kBroadcastTimeoutMs = 5000;

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

class InstallSteps {
  public:
    InstallSteps(const std::string &sourceDir, std::vector<std::string> &failures, bool &changed)
        : payload_(sourceDir + kPayloadDir), failures_(failures), changed_(changed) {}

    // Copies one payload file over whatever is at the destination, whole: a copy that failed half-way (a
    // full disk) would leave a destination cut short, and the user's file in it lost.
    void copy(const char *sourceName, const std::string &destination) {
        const std::string source = payload_ + sourceName;
        if (fitsPlatform(source) && fitsPlatform(destination) && copyWhole(source, destination))
            changed_ = true;
        else
            failures_.push_back(destination);
    }

    void copyIntoVm(const VmEntry &vm, const char *tamrixSource) {
        copy(kAccessibilityProperties, vm.homeDir + vm.libDir + kAccessibilityProperties);
        copy(tamrixSource, vm.homeDir + vm.extDir + kTamrixJar);
        copy(kOstrelJar, vm.homeDir + vm.extDir + kOstrelJar);
    }

    void patchAwt(const VmEntry &vm) {
        const std::string dir = vm.homeDir + vm.extDir;
        if (patchAwtProperties(dir.c_str(), kAwtProperties))
            changed_ = true;
        else
            failures_.push_back(dir + kAwtProperties);
    }

    void fail(const std::string &what) { failures_.push_back(what); }

  private:
    std::string payload_;
    std::vector<std::string> &failures_;
    bool &changed_;
};

// Tells running programs that the system environment changed, so that programs they start see the new
// CLASSPATH; a program that does not answer within the time-out is passed over.
void announceEnvironmentChange() {
    DWORD_PTR ignored = 0;
    (void)SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                              SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &ignored);
}

// Extends the system-wide CLASSPATH in the registry with the two jars in target. The value keeps its
// type (REG_EXPAND_SZ stays expandable); a value that is not a string is left alone.
bool extendRegistryClasspath(const std::string &target) {
    UniqueKey key;
    char emptyClass[] = "";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
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
    if (text == oldText)
        return true; // both jars are there already (a second run): nothing to write, nothing to announce
    if (RegSetValueExA(key.get(), kClasspathValue, 0, type, reinterpret_cast<const BYTE *>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
        return false;
    (void)RegFlushKey(key.get()); // the value is written; the flush only hastens it to disk
    announceEnvironmentChange();
    return true;
}
} // namespace

int Installer::install() {
    failedDestinations.clear();
    autoexecChanged = false;
    machineChanged = false;
    InstallSteps steps(sourceDir, failedDestinations, machineChanged);
    std::string target11; // homeDir + extDir of the first selected 1.1 VM
    bool any11 = false;

    for (const VmEntry *vm = vmList.get(); vm != nullptr; vm = vm->next.get()) {
        if (!vm->selected)
            continue;
        const VmKind kind = kindOf(*vm);
        if (!usable(*vm, kind))
            return -1; // what was done for earlier VMs stays done
        switch (kind) {
        case VmKind::Java14:
            steps.copyIntoVm(*vm, kTamrix14);
            break;
        case VmKind::Java11:
            steps.patchAwt(*vm);
            if (target11.empty())
                target11 = vm->homeDir + vm->extDir;
            any11 = true;
            break;
        case VmKind::Java12:
            steps.copyIntoVm(*vm, kTamrix12);
            break;
        }
    }

    for (const char *dll : kSystemDlls)
        steps.copy(dll, systemDirectory() + dll);

    if (!any11)
        return 0;

    int result = 0;
    if (runningFamily() == PlatformFamily::Nt) {
        if (!extendRegistryClasspath(target11))
            steps.fail(std::string("HKEY_LOCAL_MACHINE\\") + kEnvironmentKey + "\\" + kClasspathValue);
        else
            machineChanged = true;
    } else {
        // The root of the system drive: its letter, colon and backslash.
        const std::string root = systemDirectory().substr(0, 3);
        if (!patchAutoexec(root.c_str(), kAutoexec, target11.c_str(), &autoexecChanged))
            steps.fail(root + kAutoexec);
        machineChanged = machineChanged || autoexecChanged;
        result = autoexecChanged ? 1 : 0; // a restart only for a changed autoexec.bat
    }
    steps.copy(kTamrix11, target11 + kTamrixJar);
    steps.copy(kOstrelJar, target11 + kOstrelJar);
    return result;
}
