// A small object over the registry: at most one key open, reopened only when
// the caller names another root or path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace corvina {

struct RegistryValue {
    std::string name;
    std::vector<uint8_t> data;
    unsigned long type = 0;
};

class RegistryKey {
  public:
    static constexpr int kClassesRoot = static_cast<int>(0x80000000u);
    static constexpr int kCurrentUser = static_cast<int>(0x80000001u);
    static constexpr int kLocalMachine = static_cast<int>(0x80000002u);
    static constexpr int kThreadUser = 0x7FFFFFFF;      // the current user's hive as the thread sees it
    static constexpr int kHardwareProfile = 0x7FFFFFFB; // the current hardware profile

    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(const RegistryKey& other); // the handle is shared, the path copied
    RegistryKey& operator=(const RegistryKey&) = delete;

    void use64BitView();
    void use32BitView();
    int closeKey();
    HKEY openKey(int root, const std::string& path);   // null on failure (see lastError)
    HKEY createKey(int root, const std::string& path); // creates missing keys
    int enumSubKeys(int root, const std::string& path, std::vector<std::string>& names);
    int lastError() const { return lastResult_; }
    int enumValues(int root, const std::string& path, std::vector<RegistryValue>& values);
    bool keyExists(int root, const std::string& path);
    int queryValue(int root, const std::string& path, const std::string& name, RegistryValue& out);
    int setText(int root, const std::string& path, const std::string& name, std::vector<uint8_t> data,
                unsigned long type, bool create = false);
    int setNumber(int root, const std::string& path, const std::string& name, long long value,
                  unsigned long type, bool create = false);
    int setQwordFromHex(int root, const std::string& path, const std::string& name, const std::string& hex);
    static void padBytes(std::vector<uint8_t>& bytes, size_t length);
    int deleteValue(int root, const std::string& path, const std::string& name);
    int deleteKey(int root, const std::string& path);
    static std::string typeName(int type);

    bool isOpen() const { return isOpen_; }
    HKEY handle() const { return handle_; }

  private:
    HKEY openOrCreate(int root, const std::string& path, bool create);
    REGSAM access(REGSAM base) const;
    int writeValue(const std::string& name, unsigned long type, const std::vector<uint8_t>& data);

    bool view64_ = false;
    int lastResult_ = 0;
    HKEY handle_ = nullptr;
    bool isOpen_ = false;
    bool ownsHandle_ = true;
    int root_ = 0;
    std::string path_;
};

HKEY rootKey(int root);

} // namespace corvina
