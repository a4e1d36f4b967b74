#pragma once

#include <windows.h>

// Owns a GDI font and deletes it when replaced or destroyed.
class UniqueFont {
  public:
    UniqueFont() = default;
    explicit UniqueFont(HFONT font) : font_(font) {}
    UniqueFont(const UniqueFont&) = delete;
    UniqueFont& operator=(const UniqueFont&) = delete;
    UniqueFont(UniqueFont&& other) noexcept : font_(other.font_) { other.font_ = nullptr; }
    UniqueFont& operator=(UniqueFont&& other) noexcept {
        if (this != &other) {
            Reset();
            font_ = other.font_;
            other.font_ = nullptr;
        }
        return *this;
    }
    ~UniqueFont() { Reset(); }

    HFONT get() const { return font_; }

  private:
    void Reset() {
        if (font_ != nullptr) {
            DeleteObject(font_);
            font_ = nullptr;
        }
    }

    HFONT font_ = nullptr;
};

// Owns a kernel handle (a process, a token) and closes it when replaced or
// destroyed.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(nullptr); }

    HANDLE get() const { return handle_; }
    // For the functions that hand a new handle back through a pointer.
    HANDLE* put() {
        Reset(nullptr);
        return &handle_;
    }
    HANDLE release() {
        const HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }

  private:
    void Reset(HANDLE handle) {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

    HANDLE handle_ = nullptr;
};

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
