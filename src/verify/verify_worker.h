// The worker of the verifying dialog: runs the tester in every VM of the list not yet found compatible.
#pragma once

void verifyWorker();
