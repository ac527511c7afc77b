// The "velmarino" URL scheme: registered on every start so that a web page's
// link starts the program with the link as its argument.
#pragma once

#include <string>

namespace corvina {

enum class ProtocolRegistered { ClassesRoot, CurrentUser, Failed };

// Writes the scheme's four values for the program at `programPath` (GBK)
// under the classes root; where that is refused (a user without
// administrator rights), under the current user's classes, which the classes
// root shows to that user.
ProtocolRegistered registerProtocol(const std::string& programPath);

} // namespace corvina
