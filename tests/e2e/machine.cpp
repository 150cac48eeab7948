#include "machine.h"

#include "discovery/registry_keys.h"

namespace {
constexpr const char *kVendorRoot = "Software\\Pellior";
}

SampleMachine::SampleMachine() : root_("machine"), startDir_(root_ / "setup") {
    deleteMachineTree(kVendorRoot);
    makeDirs(startDir_);
}

SampleMachine::~SampleMachine() {
    deleteMachineTree(kVendorRoot);
}

std::string SampleMachine::addVm(const std::string &rel, std::initializer_list<const char *> launchers) {
    const std::string bin = root_ / (rel + "\\bin");
    makeDirs(bin);
    for (const char *name : launchers)
        writeFile(bin + "\\" + name, "MZ");
    return bin;
}

void SampleMachine::addRegistryHome(int keyIndex, const std::string &home) {
    setMachineString(kJavaHomeKeys[keyIndex], kJavaHomeValue, home);
}

bool SampleMachine::start(InstallerRun &run, const std::vector<std::string> &pathPieces,
                          const std::string &args) {
    std::string path;
    for (const std::string &p : pathPieces)
        path += (path.empty() ? "" : ";") + p;
    return run.start(installerPath(), startDir_, {{"PATH", path}}, args);
}

std::string installerPath() {
    return hostPathFromEnv("OSTREL_INSTALLER");
}
