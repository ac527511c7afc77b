#include "RegistryKey.h"

#include "TextCodec.h"

namespace corvina {

HKEY rootKey(int root) {
    // Predefined keys are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

RegistryKey::RegistryKey(const RegistryKey& other)
    : view64_(other.view64_), lastResult_(other.lastResult_), handle_(other.handle_), isOpen_(other.isOpen_),
      ownsHandle_(false), root_(other.root_), path_(other.path_) {}

RegistryKey::~RegistryKey() {
    closeKey();
}

void RegistryKey::use64BitView() {
    view64_ = true;
    path_.clear();
}

void RegistryKey::use32BitView() {
    view64_ = false;
    path_.clear();
}

REGSAM RegistryKey::access(REGSAM base) const {
    return base | (view64_ ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
}

int RegistryKey::closeKey() {
    if (!isOpen_)
        return -1;
    // A copy shares the original's handle and leaves closing it to the original.
    lastResult_ = ownsHandle_ ? RegCloseKey(handle_) : ERROR_SUCCESS;
    handle_ = nullptr;
    isOpen_ = false;
    ownsHandle_ = true;
    path_.clear();
    root_ = -1;
    return lastResult_;
}

HKEY RegistryKey::openOrCreate(int root, const std::string& path, bool create) {
    if (isOpen_ && root == root_ && path == path_)
        return handle_;
    closeKey();
    const REGSAM mask = access(KEY_ALL_ACCESS);
    HKEY base = rootKey(root);
    HKEY intermediate = nullptr;
    LONG result = ERROR_SUCCESS;
    if (root == kThreadUser) {
        result = RegOpenCurrentUser(mask, &intermediate);
        base = intermediate;
    } else if (root == kHardwareProfile) {
        result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current", 0,
                               mask, &intermediate);
        base = intermediate;
    }
    HKEY key = nullptr;
    if (result == ERROR_SUCCESS) {
        result = create ? RegCreateKeyExA(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, mask,
                                          nullptr, &key, nullptr)
                        : RegOpenKeyExA(base, path.c_str(), 0, mask, &key);
    }
    if (intermediate)
        RegCloseKey(intermediate);
    lastResult_ = static_cast<int>(result);
    if (result != ERROR_SUCCESS)
        return nullptr;
    handle_ = key;
    isOpen_ = true;
    ownsHandle_ = true;
    root_ = root;
    path_ = path;
    return handle_;
}

HKEY RegistryKey::openKey(int root, const std::string& path) {
    return openOrCreate(root, path, false);
}
HKEY RegistryKey::createKey(int root, const std::string& path) {
    return openOrCreate(root, path, true);
}

int RegistryKey::enumSubKeys(int root, const std::string& path, std::vector<std::string>& names) {
    if (!openKey(root, path))
        return lastResult_;
    names.clear();
    for (DWORD index = 0;; ++index) {
        char name[256];
        const LONG result = RegEnumKeyA(handle_, index, name, sizeof name);
        if (result != ERROR_SUCCESS) {
            lastResult_ = result == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : static_cast<int>(result);
            break;
        }
        names.emplace_back(name);
    }
    return static_cast<int>(names.size());
}

int RegistryKey::enumValues(int root, const std::string& path, std::vector<RegistryValue>& values) {
    if (!openKey(root, path))
        return lastResult_;
    values.clear();
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name, type = 0, dataLength = 0;
        LONG result = RegEnumValueA(handle_, index, name, &nameLength, nullptr, &type, nullptr, &dataLength);
        if (result == ERROR_SUCCESS) {
            RegistryValue value;
            value.data.resize(dataLength);
            nameLength = sizeof name;
            result = RegEnumValueA(handle_, index, name, &nameLength, nullptr, &type,
                                   value.data.empty() ? nullptr : value.data.data(), &dataLength);
            value.name.assign(name, nameLength);
            value.data.resize(dataLength);
            value.type = type;
            if (result == ERROR_SUCCESS)
                values.push_back(std::move(value));
        }
        if (result != ERROR_SUCCESS) {
            lastResult_ = result == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : static_cast<int>(result);
            break;
        }
    }
    return static_cast<int>(values.size());
}

bool RegistryKey::keyExists(int root, const std::string& path) {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(rootKey(root), path.c_str(), 0, access(KEY_READ), &key);
    if (result == ERROR_SUCCESS)
        RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int RegistryKey::queryValue(int root, const std::string& path, const std::string& name, RegistryValue& out) {
    if (!openKey(root, path))
        return lastResult_;
    std::vector<uint8_t> buffer(256, 0);
    DWORD type = 0, size = static_cast<DWORD>(buffer.size());
    lastResult_ = RegQueryValueExA(handle_, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                                   buffer.data(), &size);
    out.name = name;
    out.data = buffer; // the whole 256-byte buffer, whatever the value's length
    out.type = type;
    return lastResult_;
}

int RegistryKey::writeValue(const std::string& name, unsigned long type, const std::vector<uint8_t>& data) {
    lastResult_ = RegSetValueExA(handle_, name.empty() ? nullptr : name.c_str(), 0, type, data.data(),
                                 static_cast<DWORD>(data.size()));
    return lastResult_;
}

int RegistryKey::setText(int root, const std::string& path, const std::string& name,
                         std::vector<uint8_t> data, unsigned long type, bool create) {
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ && type != REG_BINARY)
        return -1;
    if (create)
        path_.assign(1, '1'); // the cache test then fails and the key is created (opened) again
    if (root != root_ || path != path_) {
        if (!(create ? createKey(root, path) : openKey(root, path)))
            return lastResult_;
    }
    data.push_back(0); // the terminating zero byte
    return writeValue(name, type, data);
}

int RegistryKey::setNumber(int root, const std::string& path, const std::string& name, long long value,
                           unsigned long type, bool create) {
    std::vector<uint8_t> data;
    if (type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<uint8_t>(static_cast<unsigned long long>(value) >> (8 * i)));
    } else if (type == REG_QWORD) {
        for (int i = 0; i < 8; ++i)
            data.push_back(static_cast<uint8_t>(static_cast<unsigned long long>(value) >> (8 * i)));
    } else {
        return -1;
    }
    if (!(create ? createKey(root, path) : openKey(root, path)))
        return lastResult_;
    return writeValue(name, type, data);
}

int RegistryKey::setQwordFromHex(int root, const std::string& path, const std::string& name,
                                 const std::string& hex) {
    if (!openKey(root, path) && !createKey(root, path))
        return lastResult_;
    std::vector<uint8_t> bytes;
    for (size_t end = hex.size(); end > 0;) {
        const size_t start = end >= 2 ? end - 2 : 0;
        bytes.push_back(static_cast<uint8_t>(hexToInt(hex.substr(start, end - start))));
        end = start;
    }
    padBytes(bytes, 8);
    return writeValue(name, REG_QWORD, bytes);
}

void RegistryKey::padBytes(std::vector<uint8_t>& bytes, size_t length) {
    if (bytes.size() < length)
        bytes.resize(length, 0);
}

int RegistryKey::deleteValue(int root, const std::string& path, const std::string& name) {
    if (!openKey(root, path))
        return lastResult_;
    lastResult_ = RegDeleteValueA(handle_, name.empty() ? nullptr : name.c_str());
    return lastResult_;
}

int RegistryKey::deleteKey(int root, const std::string& path) {
    const size_t slash = path.rfind('\\');
    const std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!openKey(root, parent))
        return lastResult_;
    lastResult_ = RegDeleteKeyA(handle_, last.c_str());
    return lastResult_;
}

std::string RegistryKey::typeName(int type) {
    switch (type) {
    case 1:
        return "REG_SZ";
    case 2:
        return "REG_EXPAND_SZ";
    case 3:
        return "REG_BINARY";
    case 4:
        return "REG_DWORD";
    case 5:
        return "REG_DWORD_BIG_ENDIAN";
    case 6:
        return "REG_LINK";
    case 7:
        return "REG_MULTI_SZ";
    case 8:
        return "REG_RESOURCE_LIST";
    case 9:
    case 10:
        return "NULL";
    case 11:
        return "REG_QWORD";
    default:
        return "键值非法";
    }
}

} // namespace corvina
