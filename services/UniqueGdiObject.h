// Owning wrapper for GDI objects released with DeleteObject (fonts, brushes,
// pens, bitmaps, regions).
#pragma once

#include <windows.h>

#include <utility>

namespace corvina {

template <typename H> class UniqueGdiObject {
  public:
    UniqueGdiObject() = default;
    explicit UniqueGdiObject(H handle) : handle_(handle) {}
    ~UniqueGdiObject() { reset(); }
    UniqueGdiObject(const UniqueGdiObject&) = delete;
    UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
    UniqueGdiObject(UniqueGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    void reset(H handle = nullptr) {
        if (handle_)
            DeleteObject(handle_);
        handle_ = handle;
    }
    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    H handle_ = nullptr;
};

} // namespace corvina
