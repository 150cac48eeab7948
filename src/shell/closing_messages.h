// The closing messages of an installation: every caption and text the user may see at its end.
#pragma once

#include <string>
#include <vector>

constexpr const char *kCanceledText = "Installation of the Java Ostrel was canceled.";
constexpr const char *kCanceledCaption = "Installation Canceled";
constexpr const char *kSuccessText = "Installation of the Java Ostrel was successful.";
constexpr const char *kCompletedCaption = "Installation Completed";
constexpr const char *kRestartCaption = "Installation Completed.  You must reboot your system.";
constexpr const char *kIncompleteText = "Installation of the Java Ostrel was not completed.";
constexpr const char *kIncompleteCaption = "Installation Incomplete";
constexpr const char *kIncompleteRestartCaption = "Installation Incomplete.  You must reboot your system.";

// The message that reports an installation that was not completed: kIncompleteText, then, when something
// could not be written, one line per failed destination, then one per chosen VM that was left as it was
// (each list the first ten, then "and N more"), then one per VM that got the bridge but does not see it.
std::string incompleteInstallationText(const std::vector<std::string> &failedDestinations,
                                       const std::vector<std::string> &vmsLeft,
                                       const std::vector<std::string> &vmsWithoutProof);
