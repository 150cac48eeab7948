// The drive dialog: lists the drives that can be searched and records the user's choice.
#pragma once

#include <windows.h>

#include <cstdint>

// Drive numbers count from 1 for A: to 26 for Z:; only 3 (C:) to 26 are ever offered.
constexpr int kFirstOfferedDrive = 3;
constexpr int kDriveCount = 26;

// Entry k: the drive number shown by item k of the drive list, 0 past the last item. Refilled each time
// the dialog opens.
extern std::int32_t g_listedDrives[kDriveCount];
// Entry n - 1: 1 when drive n is to be searched, else 0.
using ChosenDrives = std::int32_t[kDriveCount];
// The drive dialog's choice: written when the search button is pressed; the drive-search worker only reads
// it.
extern ChosenDrives g_selectedDrives;

INT_PTR CALLBACK driveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// "INSTALLERDISKTOSEARCHIN": 0 when cancelled or closed, else the search button's id.
int showDriveDialog();
