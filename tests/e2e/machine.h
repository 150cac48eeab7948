// A sample machine for one scenario: VM folders with stand-in launchers, the registry keys that name
// them, and the folder from which the installer is started (holding the tester class).
#pragma once

#include <string>
#include <vector>

#include "driver.h"
#include "screen_texts.h"
#include "standin.h"
#include "test_support.h"

class SampleMachine {
  public:
    SampleMachine();
    ~SampleMachine();

    // A VM folder <root>\<rel> whose bin folder holds stand-in launchers that all answer `answer`
    // (an exit code, optionally ",<ms>" to take that long); returns the bin folder.
    std::string addVm(const std::string &rel, const std::string &answer = "2",
                      const std::vector<std::string> &launchers = {"java.exe", "javaw.exe"});
    // The eight payload files in <start>\installerFiles, each holding "payload:<name>".
    void addPayload();
    // Names home in the registry key with this index of the vendor's table.
    void addRegistryHome(int keyIndex, const std::string &home);

    const std::string &root() const { return root_.path(); }
    // The folder that is current when the installer starts.
    const std::string &startDir() const { return startDir_; }
    // Every VM start, in order, as the stand-ins recorded them.
    std::vector<StandinRecord> vmStarts() const { return standinRecordsIn(log_); }

    // Starts installer.exe with PATH set to the given pieces joined by ';' (nothing else on it).
    bool start(InstallerRun &run, const std::vector<std::string> &pathPieces, const std::string &args = "");

  private:
    TempDir root_;
    std::string startDir_;
    std::string log_;
};

// Checks that the installer, its closing message answered, ends with exit code 0.
void expectExitCodeZero(InstallerRun &run,
                        const char *why = "installer still running after the closing message");
// Reads the closing message, presses OK, checks its caption and text, and that the installer ends with 0.
void expectClosing(InstallerRun &run, const char *caption, const char *text);

// installer.exe as built, from OSTREL_INSTALLER.
std::string installerPath();
