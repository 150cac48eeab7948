// The installer's command line, free of Win32. A run without switches is the interactive installation,
// which ignores what it does not know. /quiet (or /S, /qn, /verysilent) installs without a window into every
// usable VM, /search=D:,E: also searches those drives first, /remove puts back what installations changed,
// /log=FILE writes a log.
#pragma once

#include <string>
#include <vector>

struct Switches {
    bool remove = false;
    bool quiet = false;
    std::vector<char> searchDrives;   // drive letters, in capitals, as given
    std::string log;                  // the log's path; empty: no log
    std::vector<std::string> unknown; // every other argument, as written (a /search of no drive among them)
};

// The switches of a whole command line (the program's name first, in quotes or not). A switch begins with
// "/" or "-", its name is compared with ASCII case ignored, and quotes may enclose any part of a word.
Switches parseSwitches(const std::string &commandLine);
