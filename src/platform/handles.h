// Owning wrappers for Win32 handles, so that no path out of a function leaks one.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "platform/system_text.h"

// One owner of one handle. Traits give the handle type, the value that means "none" and how to close one.
template <typename Traits> class UniqueHandle {
  public:
    using T = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    UniqueHandle(const UniqueHandle &) = delete;
    UniqueHandle &operator=(const UniqueHandle &) = delete;
    UniqueHandle(UniqueHandle &&o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
    UniqueHandle &operator=(UniqueHandle &&o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Traits::invalid());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return h_; }
    T release() { return std::exchange(h_, Traits::invalid()); } // the caller closes it now
    T *put() {                                                   // for a call that opens one into it
        reset();
        return &h_;
    }
    explicit operator bool() const { return h_ != Traits::invalid(); }
    void reset(T h = Traits::invalid()) {
        if (h_ != Traits::invalid())
            Traits::close(h_);
        h_ = h;
    }

  private:
    T h_ = Traits::invalid();
};

namespace handles_detail {
struct KernelObject { // processes, threads, events: null means none
    using Type = HANDLE;
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct File { // CreateFile results
    using Type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct Find { // FindFirstFile results
    using Type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct Key {
    using Type = HKEY;
    static HKEY invalid() { return nullptr; }
    static void close(HKEY k) { RegCloseKey(k); }
};
struct LocalMemory { // what the system allocated for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER)
    using Type = HLOCAL;
    static HLOCAL invalid() { return nullptr; }
    static void close(HLOCAL m) { LocalFree(m); }
};
} // namespace handles_detail

using UniqueObject = UniqueHandle<handles_detail::KernelObject>;
using UniqueFile = UniqueHandle<handles_detail::File>;
using UniqueFind = UniqueHandle<handles_detail::Find>;
using UniqueKey = UniqueHandle<handles_detail::Key>;
using UniqueLocal = UniqueHandle<handles_detail::LocalMemory>;

// Makes the directory that was current at construction current again on every way out of a scope.
class CurrentDirectoryGuard {
  public:
    CurrentDirectoryGuard() : saved_(currentDirectory()) {}
    CurrentDirectoryGuard(const CurrentDirectoryGuard &) = delete;
    CurrentDirectoryGuard &operator=(const CurrentDirectoryGuard &) = delete;
    const std::string &saved() const { return saved_; }
    ~CurrentDirectoryGuard() {
        if (!saved_.empty())
            (void)SetCurrentDirectoryA(saved_.c_str()); // nothing better to do if the old one vanished
    }

  private:
    std::string saved_;
};
