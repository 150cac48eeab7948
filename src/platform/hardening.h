#pragma once

// Limits the places from which DLLs are loaded to the system directory where the platform can do so,
// so that a DLL planted beside a downloaded installer is never loaded. Returns true when a restriction
// is in force.
bool restrictDllSearch();
