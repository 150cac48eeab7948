// installer.exe /remove: puts the machine back as it was before the first installation.
#pragma once

// Process exit codes of a removal, the Windows system error numbers that deployment tools know.
constexpr int kExitDone = 0;
constexpr int kExitRestartNeeded = 3010;
constexpr int kExitCancelled = 1602;
constexpr int kExitIncomplete = 1603;
constexpr int kExitNotInstalled = 1605;

// Asks once (unless quiet), puts back what the record names and tells what it did (unless quiet); the exit
// code.
int runRemoval(bool quiet);
