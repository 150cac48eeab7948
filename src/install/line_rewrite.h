// Line edits of the two text files that the installation changes: awt.properties of a 1.1 VM and the
// autoexec.bat of the 9x family. Text in, text out, with '\n' line ends as a text-mode read gives them.
// A line is everything up to and including its '\n', however long; the last one may lack it.
#pragma once

#include <string>

// awt.properties with the event queue and the assistive technology naming the bridge. A line is recognised
// by its first characters, case ignored and nothing skipped before them: "AWT.EventQueueClass" (a longer
// key or a blank before "=" still counts) and "AWT.assistive_technologies=". Each recognised line is
// replaced where it stands; a property that no line sets is added at the end, the event queue first. Every
// other line is kept as it was.
std::string rewriteAwtProperties(const std::string &text);

// autoexec.bat with the bridge's two jars in CLASSPATH. Every line beginning with "set CLASSPATH=" (case
// ignored, nothing skipped) keeps its text and gets ";<target>\tamrix.jar;<target>\ostrel.jar"; when no
// line does, one is added at the end that sets the current directory, those two jars and the target's
// classes.zip. `target` is the 1.1 target directory without a trailing backslash.
std::string rewriteAutoexec(const std::string &text, const std::string &target);

// A text file as the editors see it. `endMarker` holds the Ctrl-Z characters that old DOS tools put at the
// very end of a file: they stay after anything the editors add, since a batch file ends there for
// COMMAND.COM.
struct TextFileContent {
    std::string text;
    std::string endMarker;
};

// The text of a file's bytes: CR LF becomes '\n' as in a text-mode read, but nothing is cut at a Ctrl-Z (a
// text-mode read of the C runtime stops there and would lose what follows).
TextFileContent decodeTextFile(const std::string &bytes);

// The bytes to write: '\n' becomes CR LF, then the end marker follows.
std::string encodeTextFile(const TextFileContent &content);
