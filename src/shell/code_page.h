// The machine's ANSI code page, in which paths and text files are read; shared by verification and
// installation.
#pragma once

#include <windows.h>

// True for a byte that begins a double-byte character.
inline bool ansiLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != 0;
}
