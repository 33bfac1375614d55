// Move-only owner of a kernel handle; the last error survives the close.
#pragma once

#include <windows.h>

namespace ipclink::win32 {

class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(valid(handle) ? handle : nullptr) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.take()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.take());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE take() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void reset(HANDLE handle = nullptr) {
        if (handle_) {
            DWORD error = GetLastError();
            CloseHandle(handle_);
            SetLastError(error);
        }
        handle_ = valid(handle) ? handle : nullptr;
    }

    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = nullptr;
};

// Holds a mutex from a successful wait until the end of the scope.
class MutexLock {
public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {
        DWORD result = WaitForSingleObject(mutex, INFINITE);
        locked_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~MutexLock() {
        if (locked_) ReleaseMutex(mutex_);
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;
    bool locked() const { return locked_; }

private:
    HANDLE mutex_;
    bool locked_ = false;
};

inline const wchar_t* asWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const char16_t* asUtf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on Windows");

}  // namespace ipclink::win32
