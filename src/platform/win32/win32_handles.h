#pragma once

#include <windows.h>

// Owns a Windows object whose "none" is null and frees it with `Free` when
// replaced or destroyed.
template <typename T, auto Free> class UniqueObject {
  public:
    UniqueObject() = default;
    explicit UniqueObject(T object) : object_(object) {}
    UniqueObject(const UniqueObject&) = delete;
    UniqueObject& operator=(const UniqueObject&) = delete;
    UniqueObject(UniqueObject&& other) noexcept : object_(other.release()) {}
    UniqueObject& operator=(UniqueObject&& other) noexcept {
        if (this != &other) {
            Reset(other.release());
        }
        return *this;
    }
    ~UniqueObject() { Reset(nullptr); }

    T get() const { return object_; }
    // For the functions that hand a new object back through a pointer.
    T* put() {
        Reset(nullptr);
        return &object_;
    }
    T release() {
        const T object = object_;
        object_ = nullptr;
        return object;
    }

  private:
    void Reset(T object) {
        if (object_ != nullptr) {
            Free(object_);
        }
        object_ = object;
    }

    T object_ = nullptr;
};

inline void DeleteGdiFont(HFONT font) {
    DeleteObject(font);
}
inline void CloseKernelHandle(HANDLE handle) {
    CloseHandle(handle);
}

// A GDI font.
using UniqueFont = UniqueObject<HFONT, DeleteGdiFont>;
// A kernel handle (a process, a token); every function that gives one here
// gives null when it fails.
using UniqueHandle = UniqueObject<HANDLE, CloseKernelHandle>;

// The screen's device context, released when it goes out of scope.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_ != nullptr) {
            ReleaseDC(nullptr, dc_);
        }
    }

    HDC get() const { return dc_; }

  private:
    HDC dc_;
};
