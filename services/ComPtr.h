// An owning reference to a COM object.
#pragma once

#include <unknwn.h>

#include <utility>

namespace corvina {

template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* adopted) : ptr_(adopted) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
        if (ptr_)
            ptr_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) {
        ComPtr copy(other);
        swap(copy);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }

    void reset() {
        if (ptr_)
            std::exchange(ptr_, nullptr)->Release();
    }
    void swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }
    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For out-parameters: releases the current object first.
    T** put() {
        reset();
        return &ptr_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

  private:
    T* ptr_ = nullptr;
};

} // namespace corvina
