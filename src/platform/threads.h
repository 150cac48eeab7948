// Starting a worker thread in the way every system the installer runs on accepts.
#pragma once

#include <windows.h>

#include <process.h>

#include "platform/handles.h"

using ThreadRoutine = unsigned(__stdcall *)(void *);

// Starts routine(argument) on a new thread; the handle is null when it could not start. Windows 95 and 98
// refuse to create a thread without a place for its id, so one is always given.
inline UniqueObject startThread(ThreadRoutine routine, void *argument) {
    unsigned id = 0;
    return UniqueObject(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, routine, argument, 0, &id)));
}

// Holds a critical section for a scope.
class Locked {
  public:
    explicit Locked(CRITICAL_SECTION &section) : section_(section) { EnterCriticalSection(&section_); }
    ~Locked() { LeaveCriticalSection(&section_); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;

    // Waits for any of the objects with the lock released; the wait's result.
    DWORD waitUnlocked(DWORD count, const HANDLE *objects) {
        LeaveCriticalSection(&section_);
        const DWORD result = WaitForMultipleObjects(count, objects, FALSE, INFINITE);
        EnterCriticalSection(&section_);
        return result;
    }

  private:
    CRITICAL_SECTION &section_;
};
