#include "ConfigStore.h"

#include <cstdlib>

namespace engine {

int ConfigStore::number(int item, int fallback) const {
    std::string text = get(item);
    if (text.empty())
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return fallback;
    return static_cast<int>(value);
}

} // namespace engine
