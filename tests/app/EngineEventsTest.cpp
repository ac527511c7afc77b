// The engine's callbacks reach the player on the window thread: at once when
// they come from it, posted with copies of their arguments when they come
// from any other thread.
#include "EngineCallbacks.h"
#include "TestSupport.h"
#include "WindowSubclass.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace corvina;
using namespace testing_support;

namespace {

struct Delivered {
    std::string what;
    DWORD thread;
};

class RecordingSink : public EngineEventSink {
  public:
    void engineMessage(UINT message, WPARAM wParam, LPARAM) override {
        seen.push_back({"message " + std::to_string(message) + "/" + std::to_string(wParam), GetCurrentThreadId()});
    }
    void buffering(int percent) override {
        seen.push_back({"buffering " + std::to_string(percent), GetCurrentThreadId()});
    }
    void missingDecoder(const std::string& name) override {
        seen.push_back({"missing " + name, GetCurrentThreadId()});
    }
    std::vector<Delivered> seen;
};

class EngineEventsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(subclass.attach(window.hwnd(), [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (router.handle(m, w, l))
                return 0;
            return subclass.callPrevious(h, m, w, l);
        }));
        router.bind(window.hwnd(), &sink);
    }
    std::vector<std::string> whats() const {
        std::vector<std::string> out;
        for (const Delivered& d : sink.seen)
            out.push_back(d.what);
        return out;
    }

    TestWindow window{0, 0, 100, 100, false};
    WindowSubclass subclass;
    RecordingSink sink;
    EngineEventRouter router;
};

TEST_F(EngineEventsTest, OnTheWindowThreadTheyArriveAtOnce) {
    router.message(WM_KEYDOWN, VK_SPACE, 0);
    router.buffering(35);
    router.missingDecoder("avcodec.dll");
    EXPECT_EQ(whats(), (std::vector<std::string>{"message 256/32", "buffering 35", "missing avcodec.dll"}));
    router.missingDecoder(nullptr);
    EXPECT_EQ(sink.seen.back().what, "missing ");
}

TEST_F(EngineEventsTest, FromAnotherThreadTheyArePostedWithCopies) {
    std::thread other([this] {
        char name[32];
        std::strcpy(name, "avcodec.dll");
        router.missingDecoder(name);
        std::strcpy(name, "overwritten"); // the caller's buffer is gone by the time it is shown
        router.message(WM_LBUTTONDBLCLK, 1, 2);
        router.buffering(7);
    });
    other.join();
    EXPECT_TRUE(sink.seen.empty()); // nothing ran on the engine's thread
    EXPECT_TRUE(waitFor([&] { return sink.seen.size() == 3; }, 5000));
    EXPECT_EQ(whats(), (std::vector<std::string>{"missing avcodec.dll", "message 515/1", "buffering 7"}));
    for (const Delivered& d : sink.seen)
        EXPECT_EQ(d.thread, GetCurrentThreadId()) << d.what;
}

TEST(EngineEvents, MissingDecoderText) {
    EXPECT_EQ(missingDecoderText("avcodec.dll"), "解码库缺少文件：avcodec.dll  下载后解压到目录");
}

} // namespace
