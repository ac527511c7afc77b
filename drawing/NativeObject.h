// Ownership of one GDI+ object: disposed of with `Delete` when replaced or
// destroyed, each status kept in lastDrawStatus. What every drawing-layer
// class holds.
#pragma once

#include "DrawStatus.h"

#include <windows.h>

#include <objidl.h> // gdiplus.h needs it, also under WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <utility>

namespace corvina {

template <typename T, auto Delete> class NativeObject {
  public:
    NativeObject() = default;
    ~NativeObject() { reset(); }
    NativeObject(const NativeObject&) = delete;
    NativeObject& operator=(const NativeObject&) = delete;

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Disposes of the held object; true when GDI+ said Ok (or none was held).
    bool reset() {
        if (!object_)
            return true;
        const bool ok = noteDrawStatus(Delete(std::exchange(object_, nullptr)));
        return ok;
    }
    // Disposes of the held object first, then keeps what `make(&out)`
    // creates when its status is Ok.
    template <typename Make> bool recreate(Make make) {
        reset();
        T* created = nullptr;
        if (!noteDrawStatus(make(&created)))
            return false;
        object_ = created;
        return true;
    }
    // Takes over an object made elsewhere (the held one is disposed of first).
    void adopt(T* object) {
        reset();
        object_ = object;
    }

  private:
    T* object_ = nullptr;
};

} // namespace corvina
