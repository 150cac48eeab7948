// How long a VM may take to answer the tester: one that never exits (a launcher that opens an error box
// and waits) must not hold up the verification of the others. The test build of the installer has its
// own, shorter limit.
#pragma once

unsigned long probeLimitMs();
