#include "ServiceHosts.h"

#include <windows.h>

#ifndef CORVINA_INDEX_HOST
#define CORVINA_INDEX_HOST "127.0.0.1:8830"
#endif
#ifndef CORVINA_RESOLVE_HOST
#define CORVINA_RESOLVE_HOST "127.0.0.1:8830"
#endif
#ifndef CORVINA_CODE_HOST
#define CORVINA_CODE_HOST "127.0.0.1:8830"
#endif
#ifndef CORVINA_LAUNCH_HOST
#define CORVINA_LAUNCH_HOST "127.0.0.1"
#endif

namespace corvina {
namespace {

std::string environment(const char* name) {
    char buffer[512];
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

} // namespace

std::string hostSetting(const std::string& builtIn, const std::string& fromEnvironment) {
    return fromEnvironment.empty() ? builtIn : fromEnvironment;
}

std::string indexHost() {
    return hostSetting(CORVINA_INDEX_HOST, environment("CORVINA_INDEX_HOST"));
}
std::string resolveHost() {
    return hostSetting(CORVINA_RESOLVE_HOST, environment("CORVINA_RESOLVE_HOST"));
}
std::string codeHost() {
    return hostSetting(CORVINA_CODE_HOST, environment("CORVINA_CODE_HOST"));
}
std::string launchHost() {
    return hostSetting(CORVINA_LAUNCH_HOST, environment("CORVINA_LAUNCH_HOST"));
}

} // namespace corvina
