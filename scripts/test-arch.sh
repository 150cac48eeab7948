#!/usr/bin/env bash
# Prints the Windows build that the tests run under Wine: win32, the program as it ships, where this machine
# executes 32-bit code; win64, the same sources built for 64-bit Windows, where it cannot (a hypervisor
# without a 32-bit mode refuses every 32-bit program, Wine's 32-bit loader included).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
