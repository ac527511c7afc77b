// Numbered configuration items of one engine, kept as texts.
#pragma once

#include <map>
#include <mutex>
#include <string>

namespace engine {

class ConfigStore {
  public:
    void set(int item, std::string value) {
        std::lock_guard lock(mutex_);
        items_[item] = std::move(value);
    }
    std::string get(int item) const {
        std::lock_guard lock(mutex_);
        auto it = items_.find(item);
        return it == items_.end() ? std::string() : it->second;
    }
    // The item read as a flag: true only for exactly "1".
    bool flag(int item) const { return get(item) == "1"; }
    // The item read as a whole number; `fallback` when it is no number.
    int number(int item, int fallback) const;

  private:
    mutable std::mutex mutex_;
    std::map<int, std::string> items_;
};

} // namespace engine
