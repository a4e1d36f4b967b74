#pragma once

#include <unknwn.h>

#include <utility>

// Owns one reference to a COM object and releases it when replaced or
// destroyed; a copy takes a reference of its own.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference that the caller already holds.
    explicit ComPtr(T* object) : object_(object) {}
    ComPtr(const ComPtr& other) : object_(other.object_) {
        if (object_ != nullptr) {
            object_->AddRef();
        }
    }
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // For the functions that hand a new reference back through a pointer.
    T** put() {
        Reset();
        return &object_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    // Hands the reference over to the caller.
    T* release() { return std::exchange(object_, nullptr); }

  private:
    void Reset() {
        if (object_ != nullptr) {
            std::exchange(object_, nullptr)->Release();
        }
    }

    T* object_ = nullptr;
};
