#include "EngineConfig.h"

#include "EngineLibrary.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace corvina {

EngineConfig::EngineConfig() : library_(&EngineLibrary::program()) {}
EngineConfig::EngineConfig(const EngineLibrary& library) : library_(&library) {}

void EngineConfig::set(int item, const std::string& text) const {
    if (auto f = library_->functions().setConfig)
        f(handle_, item, text.c_str());
}

std::string EngineConfig::get(int item) const {
    auto f = library_->functions().getConfig;
    if (!f)
        return {};
    const char* text = f(handle_, item);
    return text ? std::string(text) : std::string(); // copied at once: the engine reuses its buffer
}

int EngineConfig::parseNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value); // truncates toward zero
}

std::vector<std::string> EngineConfig::item10() const {
    std::string text = get(10) + ";";
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t semi; (semi = text.find(';', start)) != std::string::npos; start = semi + 1)
        parts.push_back(text.substr(start, semi - start));
    return parts;
}

bool EngineConfig::flagAccessor(int item, std::optional<bool> on) const {
    if (on)
        setFlag(item, *on);
    return getFlag(item);
}

} // namespace corvina
