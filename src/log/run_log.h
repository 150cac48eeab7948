// The log of a run (/log=FILE): ANSI text with CR LF line ends that Notepad reads on every system. Each line
// goes to the file at once, with its time, so that what happened up to a failure is there. Without a log
// every call does nothing.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace runLog {
// Creates or empties the file and writes the header: program version, Windows version and family, command
// line, start time. False when it cannot be opened (its folder must exist).
bool open(const std::string &path, const std::string &commandLine);
bool active();
// One line of these pieces; a text with line ends gives one line for each. The pieces are joined here, where
// running out of memory costs the line and nothing else: a step already done must not fail for its line.
void line(std::initializer_list<std::string_view> pieces);
// The last line, "exit code N (meaning)"; the code back.
int finish(int exitCode, bool interactive = false);
} // namespace runLog
