// Late-bound COM automation: properties and methods by name.
#pragma once

#include "ComPtr.h"

#include <oaidl.h>

#include <string>
#include <vector>

namespace corvina {

// A VARIANT that clears itself.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant& other) {
        VariantInit(&v_);
        VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    }
    Variant& operator=(const Variant& other) {
        if (this != &other)
            VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
        return *this;
    }
    static Variant text(const std::string& gbk);
    static Variant boolean(bool b);
    static Variant integer(int i);
    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    std::string asText() const; // GBK; empty when not convertible
    int asInt() const;          // 0 when not convertible
    ComPtr<IDispatch> asDispatch() const;

  private:
    VARIANT v_;
};

class Dispatch {
  public:
    Dispatch() = default;
    explicit Dispatch(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    // Creates an object by its program identifier ("VBScript.RegExp").
    static Dispatch create(const wchar_t* progId);
    explicit operator bool() const { return static_cast<bool>(object_); }
    const ComPtr<IDispatch>& object() const { return object_; }

    bool put(const wchar_t* name, const Variant& value) const;
    bool get(const wchar_t* name, Variant& out, const std::vector<Variant>& args = {}) const;
    bool call(const wchar_t* name, Variant& out, const std::vector<Variant>& args = {}) const;

  private:
    bool invoke(const wchar_t* name, WORD flags, Variant* out, const std::vector<Variant>& args) const;
    ComPtr<IDispatch> object_;
};

} // namespace corvina
