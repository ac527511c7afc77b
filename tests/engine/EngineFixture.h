// A fresh engine from the library's C interface for each test, in a visible
// parent window; destroyed (promptly) after it.
#pragma once

#include "EngineLibrary.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

class EngineFixture : public ::testing::Test {
  protected:
    const corvina::EngineLibrary::Functions& api = corvina::EngineLibrary::program().functions();
    TestWindow parent{20, 20, 320, 240};
    int handle = 0;
    // Callbacks to hand to the engine; set before SetUp runs.
    void* onBuffering = nullptr;
    void* onMissingDecoder = nullptr;

    void SetUp() override {
        ASSERT_NE(api.create, nullptr);
        handle = api.create(parent.hwnd(), 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr, onBuffering,
                            nullptr, onMissingDecoder, nullptr);
        ASSERT_GT(handle, 0);
    }
    void TearDown() override {
        const ULONGLONG started = GetTickCount64();
        api.destroy(handle);
        EXPECT_LT(GetTickCount64() - started, 3000u) << "destroy must return promptly";
    }

    int state() const { return api.getState(handle); }
    int position() const { return api.getPosition(handle); }
    bool waitState(int wanted, int timeoutMs = 20000) {
        return waitFor([&] { return state() == wanted; }, timeoutMs);
    }
    std::string config(int item) const { return api.getConfig(handle, item); }
};

} // namespace testing_support
