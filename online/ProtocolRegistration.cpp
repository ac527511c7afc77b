#include "ProtocolRegistration.h"

#include "RegistryKey.h"

namespace corvina {
namespace {

std::vector<uint8_t> bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The four values below `root`\`base`; true when every write succeeded.
bool writeValues(int root, const std::string& base, const std::string& programPath) {
    RegistryKey key;
    // The program's own registry view: the 32-bit one for the 32-bit program,
    // the 64-bit one for a 64-bit build, so that the shell finds the scheme.
    if constexpr (sizeof(void*) == 8)
        key.use64BitView();
    bool ok = key.createKey(root, base) != nullptr;
    ok = key.setText(root, base, "", bytes("velmarinoProtocol"), REG_SZ, true) == 0 && ok;
    ok = key.setText(root, base, "URL Protocol", bytes(programPath), REG_SZ, true) == 0 && ok;
    ok = key.createKey(root, base + "\\DefaultIcon") != nullptr && ok;
    ok = key.setText(root, base + "\\DefaultIcon", "", bytes(programPath + ",1"), REG_SZ, true) == 0 && ok;
    ok = key.createKey(root, base + "\\shell\\open\\command") != nullptr && ok;
    ok = key.setText(root, base + "\\shell\\open\\command", "", bytes("\"" + programPath + "\" \"%1\""),
                     REG_SZ, true) == 0 &&
         ok;
    return ok;
}

} // namespace

ProtocolRegistered registerProtocol(const std::string& programPath) {
    if (writeValues(RegistryKey::kClassesRoot, "velmarino", programPath))
        return ProtocolRegistered::ClassesRoot;
    if (writeValues(RegistryKey::kCurrentUser, "Software\\Classes\\velmarino", programPath))
        return ProtocolRegistered::CurrentUser;
    return ProtocolRegistered::Failed;
}

} // namespace corvina
