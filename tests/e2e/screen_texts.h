// The texts and names that the installer shows and uses, as the tests expect to find them.
#pragma once

// Captions of the dialogs.
constexpr const char *kVerifyingCaption = "Checking Java VMs for compatibility";
constexpr const char *kSearchingCaption = "Searching for Java VMs";
constexpr const char *kListCaption = "Available Java virtual machines";
constexpr const char *kNoVmsCaption = "No Java VMs found";
constexpr const char *kDrivesCaption = "Drives to search on";

// The closing messages.
constexpr const char *kCanceledCaption = "Installation Canceled";
constexpr const char *kCanceledText = "Installation of the Java Ostrel was canceled.";
constexpr const char *kCompletedCaption = "Installation Completed";
constexpr const char *kRestartCaption = "Installation Completed.  You must reboot your system.";
constexpr const char *kSuccessText = "Installation of the Java Ostrel was successful.";
constexpr const char *kIncompleteCaption = "Installation Incomplete";
constexpr const char *kIncompleteRestartCaption = "Installation Incomplete.  You must reboot your system.";
constexpr const char *kIncompleteText =
    "Installation of the Java Ostrel was not completed. These files could not be written:";

// Registry keys.
constexpr const char *kEnvironmentKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char *kVendorKey = "Software\\Pellior";
