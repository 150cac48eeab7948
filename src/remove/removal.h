// installer.exe /remove: puts the machine back as it was before the first installation.
#pragma once

#include "platform/exit_codes.h"

// Asks once (unless quiet), puts back what the record names and tells what it did (unless quiet); the exit
// code.
int runRemoval(bool quiet);
