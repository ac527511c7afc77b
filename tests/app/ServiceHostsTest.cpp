#include "ServiceHosts.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(ServiceHosts, EnvironmentOverridesTheBuiltInHost) {
    EXPECT_EQ(corvina::hostSetting("127.0.0.1:8830", ""), "127.0.0.1:8830");
    EXPECT_EQ(corvina::hostSetting("127.0.0.1:8830", "10.0.0.5:99"), "10.0.0.5:99");

    SetEnvironmentVariableA("CORVINA_INDEX_HOST", nullptr);
    const std::string builtIn = corvina::indexHost();
    EXPECT_FALSE(builtIn.empty());
    SetEnvironmentVariableA("CORVINA_INDEX_HOST", "127.0.0.1:9999");
    EXPECT_EQ(corvina::indexHost(), "127.0.0.1:9999");
    SetEnvironmentVariableA("CORVINA_INDEX_HOST", nullptr);
    EXPECT_EQ(corvina::indexHost(), builtIn);
    SetEnvironmentVariableA("CORVINA_LAUNCH_HOST", "launch.test");
    EXPECT_EQ(corvina::launchHost(), "launch.test");
    SetEnvironmentVariableA("CORVINA_LAUNCH_HOST", nullptr);
}

} // namespace
