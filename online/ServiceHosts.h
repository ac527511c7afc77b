// Hosts of the web services the program talks to. Each is fixed when the
// program is built and can be overridden at run time by an environment
// variable of the same name (tests and the demo point them at local servers).
#pragma once

#include <functional>
#include <string>

namespace corvina {

std::string indexHost();   // CORVINA_INDEX_HOST: the web index, host[:port]
std::string resolveHost(); // CORVINA_RESOLVE_HOST: the main resolution server, host:port
std::string codeHost();    // CORVINA_CODE_HOST: the alternative code server, host[:port]
std::string launchHost();  // CORVINA_LAUNCH_HOST: the launch page's host (port 82)

// The rule behind the four: a non-empty value from the environment wins.
std::string hostSetting(const std::string& builtIn, const std::string& fromEnvironment);

} // namespace corvina
