#include "RegexObject.h"

#include "TextRules.h"

#include <objbase.h>

namespace corvina {

RegexObject::RegexObject() : subject_(Variant::integer(0)), com_(CoInitialize(nullptr)) {}

RegexObject::RegexObject(const RegexObject& other)
    : regExp_(other.regExp_), matches_(other.matches_), subject_(other.subject_),
      com_(CoInitialize(nullptr)) {}

RegexObject::~RegexObject() {
    regExp_ = Dispatch();
    matches_ = Dispatch();
    VariantClear(subject_.get());
    if (SUCCEEDED(com_))
        CoUninitialize();
}

bool RegexObject::execute(const std::string& pattern, const std::string& subject, bool caseSensitive,
                          bool multiline, bool global, bool quoteToken) {
    regExp_ = Dispatch();
    matches_ = Dispatch();
    regExp_ = Dispatch::create(L"VBScript.RegExp");
    if (!regExp_)
        return false;
    regExp_.put(L"IgnoreCase", Variant::boolean(!caseSensitive));
    regExp_.put(L"Multiline", Variant::boolean(multiline));
    regExp_.put(L"Global", Variant::boolean(global));
    regExp_.put(L"Pattern", Variant::text(quoteToken ? replaceAll(pattern, kQuoteToken, "\"") : pattern));
    subject_ = Variant::text(subject);
    Variant result;
    if (!regExp_.call(L"Execute", result, {subject_}))
        return false;
    matches_ = Dispatch(result.asDispatch());
    return static_cast<bool>(matches_);
}

std::string RegexObject::pattern() const {
    Variant v;
    return regExp_.get(L"Pattern", v) ? v.asText() : std::string();
}

std::string RegexObject::replace(const std::string& replacement) const {
    Variant v;
    return regExp_.call(L"Replace", v, {subject_, Variant::text(replacement)}) ? v.asText() : std::string();
}

int RegexObject::matchCount() const {
    Variant v;
    return matches_.get(L"Count", v) ? v.asInt() : 0;
}

Dispatch RegexObject::match(int index) const {
    if (index < 1 || index > matchCount())
        return {};
    Variant v;
    return matches_.get(L"Item", v, {Variant::integer(index - 1)}) ? Dispatch(v.asDispatch()) : Dispatch();
}

std::string RegexObject::matchText(int index) const {
    Variant v;
    Dispatch m = match(index);
    return m && m.get(L"Value", v) ? v.asText() : std::string();
}

std::string RegexObject::subMatchText(int matchIndex, int groupIndex) const {
    Dispatch m = match(matchIndex);
    Variant groups, count, value;
    if (!m || !m.get(L"SubMatches", groups))
        return {};
    Dispatch subMatches(groups.asDispatch());
    if (!subMatches.get(L"Count", count) || groupIndex < 1 || groupIndex > count.asInt())
        return {};
    if (!subMatches.get(L"Item", value, {Variant::integer(groupIndex - 1)}))
        return {};
    return value.get()->vt == VT_EMPTY ? std::string() : value.asText();
}

int RegexObject::subMatchCount() const {
    Dispatch m = match(1);
    Variant groups, count;
    if (!m || !m.get(L"SubMatches", groups))
        return 0;
    return Dispatch(groups.asDispatch()).get(L"Count", count) ? count.asInt() : 0;
}

} // namespace corvina
