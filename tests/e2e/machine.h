// A sample machine for one scenario: VM folders, the registry keys that name them, and the folder from
// which the installer is started.
#pragma once

#include <string>
#include <vector>

#include "driver.h"
#include "test_support.h"

class SampleMachine {
  public:
    SampleMachine();
    ~SampleMachine();

    // A VM folder <root>\<rel> with launchers in its bin folder; returns the bin folder.
    std::string addVm(const std::string &rel, std::initializer_list<const char *> launchers = {"java.exe"});
    // Names home in the registry key with this index of the vendor's table.
    void addRegistryHome(int keyIndex, const std::string &home);

    const std::string &root() const { return root_.path(); }
    // The folder that is current when the installer starts.
    const std::string &startDir() const { return startDir_; }

    // Starts installer.exe with PATH set to the given pieces joined by ';' (nothing else on it).
    bool start(InstallerRun &run, const std::vector<std::string> &pathPieces, const std::string &args = "");

  private:
    TempDir root_;
    std::string startDir_;
};

// installer.exe as built, from OSTREL_INSTALLER.
std::string installerPath();
