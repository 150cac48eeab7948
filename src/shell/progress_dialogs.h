// The two progress dialogs, each running one worker thread.
#pragma once

// "INSTALLERVERIFYINGJVMSCREEN": 0 when cancelled or closed, 1 when every candidate was verified.
int showVerifyingDialog();
// "INSTALLERSEARCHINGSCREEN": 0 when cancelled or closed, 1 when the search finished.
int showSearchingDialog();
