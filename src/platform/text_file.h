// Text files as the editors read and write them: CR LF line ends on disk, '\n' in the text, and whatever
// follows a Ctrl-Z kept byte for byte. Win32-free.
#pragma once

#include <string>

// A text file as the editors see it. `endMarker` holds what follows the text from a Ctrl-Z on: it stays
// after anything the editors add, byte for byte.
struct TextFileContent {
    std::string text;
    std::string endMarker;
};

// The text of a file's bytes: CR LF becomes '\n' as in a text-mode read. A batch file ends at its first
// Ctrl-Z for the command interpreter, so with endsAtFirstCtrlZ the text ends there; otherwise only the
// Ctrl-Z characters at the very end, which old DOS tools put there, are left out of the text. Nothing is
// lost either way: the rest is the end marker.
TextFileContent decodeTextFile(const std::string &bytes, bool endsAtFirstCtrlZ);

// The bytes to write: '\n' becomes CR LF, then the end marker follows.
std::string encodeTextFile(const TextFileContent &content);
