// Installation of the bridge's files into the chosen VMs.
#include "shell/installer.h"

// Not built yet: nothing is written.
int Installer::install() {
    return 0;
}
