// The installer's command line, free of Win32. A run without switches is the interactive installation,
// which ignores its arguments; /remove puts back what installations changed, /quiet shows no window.
#pragma once

#include <string>
#include <vector>

struct Switches {
    bool remove = false;
    bool quiet = false;
    std::vector<std::string> unknown; // every other argument, as written
};

// The switches of a whole command line (the program's name first, in quotes or not). A switch begins with
// "/" or "-", and its name is compared with ASCII case ignored.
Switches parseSwitches(const std::string &commandLine);
