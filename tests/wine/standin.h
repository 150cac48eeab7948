// Stand-in VM launchers placed in test folders (see tests/standin/standin_vm.cpp).
#pragma once

#include <string>
#include <vector>

// One start of a stand-in, as it recorded it.
struct StandinRecord {
    std::string launcher;
    std::string commandLine;
    std::string currentDirectory;
    bool classpathSet = false;
    bool testerPresent = false;
};

// Copies the stand-in into dir under each name and writes its configuration (the lines of standin.cfg,
// such as "javaw.exe=14"). Returns false when a copy fails.
bool placeStandin(const std::string &dir, const std::vector<std::string> &names,
                  const std::vector<std::string> &config);
// Every start recorded in dir's standin.log, oldest first.
std::vector<StandinRecord> standinRecords(const std::string &dir);
// Every start recorded in a shared log file.
std::vector<StandinRecord> standinRecordsIn(const std::string &logFile);
