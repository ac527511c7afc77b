#include "Dispatch.h"

#include "TextConvert.h"

#include <objbase.h>

namespace corvina {

Variant Variant::text(const std::string& gbk) {
    Variant v;
    v.v_.vt = VT_BSTR;
    const std::wstring w = gbkToWide(gbk);
    v.v_.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    return v;
}

Variant Variant::boolean(bool b) {
    Variant v;
    v.v_.vt = VT_BOOL;
    v.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::integer(int i) {
    Variant v;
    v.v_.vt = VT_I4;
    v.v_.lVal = i;
    return v;
}

std::string Variant::asText() const {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v_), 0, VT_BSTR)))
        return {};
    std::string out = converted.bstrVal
                          ? wideToGbk(std::wstring(converted.bstrVal, SysStringLen(converted.bstrVal)))
                          : std::string();
    VariantClear(&converted);
    return out;
}

int Variant::asInt() const {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v_), 0, VT_I4)))
        return 0;
    return converted.lVal;
}

ComPtr<IDispatch> Variant::asDispatch() const {
    if (v_.vt != VT_DISPATCH || !v_.pdispVal)
        return {};
    v_.pdispVal->AddRef();
    return ComPtr<IDispatch>(v_.pdispVal);
}

Dispatch Dispatch::create(const wchar_t* progId) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId, &clsid)))
        return {};
    ComPtr<IDispatch> object;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                object.putVoid())))
        return {};
    return Dispatch(std::move(object));
}

bool Dispatch::invoke(const wchar_t* name, WORD flags, Variant* out, const std::vector<Variant>& args) const {
    if (!object_)
        return false;
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        return false;
    // Arguments go in reverse order.
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*it->get());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr =
        object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
    if (out && SUCCEEDED(hr)) {
        VariantClear(out->get());
        *out->get() = result; // takes ownership
    } else {
        VariantClear(&result);
    }
    return SUCCEEDED(hr);
}

bool Dispatch::put(const wchar_t* name, const Variant& value) const {
    return invoke(name, DISPATCH_PROPERTYPUT, nullptr, {value});
}

bool Dispatch::get(const wchar_t* name, Variant& out, const std::vector<Variant>& args) const {
    return invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &out, args);
}

bool Dispatch::call(const wchar_t* name, Variant& out, const std::vector<Variant>& args) const {
    return invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &out, args);
}

} // namespace corvina
