// Line edits of the two text files that the installation changes: awt.properties of a 1.1 VM and the
// autoexec.bat of the 9x family. Text in, text out, with '\n' line ends as a text-mode read gives them.
// A line is everything up to and including its '\n', however long; the last one may lack it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/text_file.h"

// awt.properties with the event queue and the assistive technology naming the bridge. A line is recognised
// by its first characters, case ignored and nothing skipped before them: "AWT.EventQueueClass" (a longer
// key or a blank before "=" still counts) and "AWT.assistive_technologies=". Each recognised line is
// replaced where it stands; a property that no line sets is added at the end, the event queue first. Every
// other line is kept as it was.
std::string rewriteAwtProperties(const std::string &text);

// autoexec.bat with the bridge's two jars in CLASSPATH. Every line beginning with "set CLASSPATH=" (case
// ignored, nothing skipped) keeps its text and gets ";<jar>" for each jar its value does not hold yet
// (see missingJars); when no line does, one is added at the end that sets the current directory, the two
// jars and the target's classes.zip. `target` is the 1.1 target directory without a trailing backslash.
// A second run therefore changes nothing.
std::string rewriteAutoexec(const std::string &text, const std::string &target, LeadBytePredicate isLeadByte);

// The lines that the editors change, recognised as above by the first characters of the line at `begin`.
bool isEventQueueLine(const std::string &text, std::size_t begin);
bool isAssistiveLine(const std::string &text, std::size_t begin);
bool isClasspathLine(const std::string &text, std::size_t begin);
// The lines that rewriteAwtProperties writes, each with its line end.
extern const char kEventQueueLine[];
extern const char kAssistiveLine[];

// The lines of a text, each with its '\n' (the last one may lack it).
std::vector<std::string> splitLines(const std::string &text);
