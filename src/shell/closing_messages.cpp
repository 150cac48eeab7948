#include "shell/closing_messages.h"

#include "install/classpath_text.h"

std::string incompleteInstallationText(const std::vector<std::string> &failedDestinations,
                                       const std::vector<std::string> &vmsLeft,
                                       const std::vector<std::string> &vmsWithoutProof) {
    std::string text = kIncompleteText; // alone when memory ran out before the installation could finish
    return text + listedItems(" These files could not be written:", failedDestinations) +
           listedItems("\nThese Java VMs were left as they were:", vmsLeft) +
           listedItems("\nThese Java VMs do not see the bridge:", vmsWithoutProof);
}
