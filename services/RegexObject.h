// One regular expression run over one subject with the platform's scripting
// regular-expression engine ("VBScript.RegExp"); the match collection is kept
// for reading. Texts cross to the engine as characters, not bytes.
#pragma once

#include "Dispatch.h"

#include <string>

namespace corvina {

class RegexObject {
  public:
    RegexObject();  // starts COM on this thread for the object's life
    ~RegexObject(); // releases the engine objects, then ends that COM use
    RegexObject(const RegexObject& other);
    RegexObject& operator=(const RegexObject&) = delete;

    // True when a match collection was obtained (also with no match); false
    // when the engine cannot be created or the pattern is invalid.
    [[nodiscard]] bool execute(const std::string& pattern, const std::string& subject,
                               bool caseSensitive = false, bool multiline = true, bool global = true,
                               bool quoteToken = false);
    std::string pattern() const;
    std::string replace(const std::string& replacement) const;
    int matchCount() const;
    std::string matchText(int index) const;                         // 1-based
    std::string subMatchText(int matchIndex, int groupIndex) const; // both 1-based
    int subMatchCount() const;

  private:
    Dispatch match(int index) const;
    Dispatch regExp_;
    Dispatch matches_;
    Variant subject_;
    HRESULT com_;
};

} // namespace corvina
