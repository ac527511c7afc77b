// httpRequest against a loopback server started by each test.
#include "HttpClient.h"
#include "LoopbackHttpServer.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

#include <thread>

#include <atomic>

using namespace testing_support;
using namespace corvina;

namespace {

std::string text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(HttpClient, DefaultRequestSendsTheFourLinesAndTheAgent) {
    LoopbackHttpServer server([](const HttpRequestSeen&) { return HttpResponse{200, "OK", {}, "hello"}; });
    const std::string url = server.base() + "/info_hash/33/49/ABC";
    HttpOptions options;
    EXPECT_EQ(text(httpRequest(url, options)), "hello");
    EXPECT_EQ(options.headers,
              "Accept: */*\r\nReferer: " + url +
                  "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded");
    ASSERT_EQ(server.requests().size(), 1u);
    const HttpRequestSeen seen = server.requests()[0];
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(seen.target, "/info_hash/33/49/ABC");
    // Our block arrives as sent, line for line and in order.
    EXPECT_NE(seen.headerBlock.find(options.headers), std::string::npos) << seen.headerBlock;
    EXPECT_EQ(seen.header("User-Agent"), kDefaultAgent);
    EXPECT_EQ(seen.header("Cookie"), "");
}

TEST(HttpClient, VerbsAndBodies) {
    LoopbackHttpServer server([](const HttpRequestSeen& r) {
        return HttpResponse{200, "OK", {}, r.method + ":" + r.body};
    });
    struct Case {
        int method;
        std::string postText;
        std::vector<uint8_t> postBytes;
        const char* verb;
        const char* body;
    } cases[] = {
        {0, "ignored", {}, "GET", ""},
        {7, "", {}, "GET", ""},
        {-1, "", {}, "GET", ""},
        {1, "a=1&b=2", {}, "POST", "a=1&b=2"},
        {1, "text", {'b', 'y', 't', 'e', 's'}, "POST", "bytes"},
        {2, "", {}, "HEAD", ""},
    };
    for (const Case& c : cases) {
        HttpOptions options;
        options.method = c.method;
        options.postText = c.postText;
        options.postBytes = c.postBytes;
        const std::string body = text(httpRequest(server.base() + "/v", options));
        const HttpRequestSeen seen = server.requests().back();
        EXPECT_EQ(seen.method, c.verb) << c.method;
        EXPECT_EQ(seen.body, c.body) << c.method;
        if (std::string(c.verb) != "HEAD") {
            EXPECT_EQ(body, std::string(c.verb) + ":" + c.body);
        }
    }
}

TEST(HttpClient, AgentCookiesAndExtraHeaders) {
    LoopbackHttpServer server([](const HttpRequestSeen&) { return HttpResponse{}; });
    struct Case {
        std::string headers;
        std::optional<std::string> cookies;
        const char* agent;
        const char* cookieHeader;
    } cases[] = {
        {"user-agent: X", std::nullopt, "X", ""},
        {"User-Agent: Tester/2", std::nullopt, "Tester/2", ""},
        {"", std::string("Cookie: a=1"), kDefaultAgent, "a=1"},
        {"", std::string("a=1"), kDefaultAgent, "a=1"},
    };
    for (const Case& c : cases) {
        HttpOptions options;
        options.headers = c.headers;
        options.cookies = c.cookies;
        httpRequest(server.base() + "/h", options);
        const HttpRequestSeen seen = server.requests().back();
        EXPECT_EQ(seen.header("User-Agent"), c.agent) << c.headers;
        EXPECT_EQ(seen.header("Cookie"), c.cookieHeader) << c.headers;
    }
}

TEST(HttpClient, SetCookieCollectedAndMerged) {
    LoopbackHttpServer server([](const HttpRequestSeen&) {
        HttpResponse r;
        r.headers = {{"set-cookie", "p=5; path=/"}, {"Set-Cookie", "q=9"}};
        return r;
    });
    HttpOptions options;
    httpRequest(server.base() + "/c", options);
    EXPECT_EQ(options.receivedCookies, "p=5; q=9");
    EXPECT_NE(options.rawHeaders.find("Set-Cookie: p=5; path=/"), std::string::npos) << options.rawHeaders;

    HttpOptions withCookies;
    withCookies.cookies = "a=1; q=1";
    httpRequest(server.base() + "/c", withCookies);
    EXPECT_EQ(withCookies.receivedCookies, "p=5; q=9; a=1");
    EXPECT_EQ(*withCookies.cookies, "p=5; q=9; a=1");
}

TEST(HttpClient, RedirectsFollowedUnlessAsked) {
    LoopbackHttpServer server([](const HttpRequestSeen& r) {
        if (r.target == "/old")
            return HttpResponse{302, "Found", {{"Location", "/new"}}, "moved"};
        return HttpResponse{200, "OK", {}, "arrived"};
    });
    EXPECT_EQ(text(httpRequest(server.base() + "/old")), "arrived");
    HttpOptions options;
    options.noRedirect = true;
    EXPECT_EQ(text(httpRequest(server.base() + "/old", options)), "moved");
    EXPECT_NE(options.rawHeaders.find("302"), std::string::npos);
}

TEST(HttpClient, RedirectsHaveABoundAndGoWhereTheyPoint) {
    LoopbackHttpServer server([](const HttpRequestSeen& r) {
        if (r.target == "/loop")
            return HttpResponse{302, "Found", {{"Location", "/loop"}}, "again"};
        if (r.target.rfind("/chain/", 0) == 0) {
            const int n = std::stoi(r.target.substr(7));
            return n == 0 ? HttpResponse{200, "OK", {}, "end of chain"}
                          : HttpResponse{301, "Moved", {{"Location", std::to_string(n - 1)}}, ""};
        }
        if (r.target == "/form")
            return HttpResponse{303, "See Other", {{"Location", "/seen"}}, ""};
        return HttpResponse{200, "OK", {}, r.method + " " + r.target};
    });
    // A server that redirects to itself: failed after ten, not followed for ever.
    const ULONGLONG started = GetTickCount64();
    EXPECT_TRUE(httpRequest(server.base() + "/loop").empty());
    EXPECT_LT(GetTickCount64() - started, 10000u);
    EXPECT_EQ(server.requests().size(), 11u);
    // Ten hops, relative each time, still arrive.
    EXPECT_EQ(text(httpRequest(server.base() + "/chain/10")), "end of chain");
    // A form answered with 303 is fetched again with GET.
    HttpOptions post;
    post.method = 1;
    post.postText = "a=1";
    EXPECT_EQ(text(httpRequest(server.base() + "/form", post)), "GET /seen");
}

TEST(HttpClient, RedirectLocationsResolveAgainstTheirBase) {
    struct Case {
        const char* base;
        const char* location;
        const char* to;
    };
    const Case cases[] = {
        {"http://a:81/x/y?q=1", "http://b/z", "http://b/z"},   {"http://a:81/x/y", "HTTPS://b/z", "HTTPS://b/z"},
        {"https://a/x/y", "//c/d", "https://c/d"},             {"http://a:81/x/y?q=1", "/z", "http://a:81/z"},
        {"http://a:81/x/y?q=/1", "z?w", "http://a:81/x/z?w"}, {"http://a", "z", "http://a/z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveLocation(c.base, c.location), c.to) << c.base << " + " << c.location;
}

TEST(HttpClient, LongHeaderBlocksArriveWhole) {
    LoopbackHttpServer server([](const HttpRequestSeen&) {
        HttpResponse r;
        for (int i = 0; i < 80; ++i)
            r.headers.push_back({"X-Padding-" + std::to_string(i), std::string(90, 'x')});
        r.headers.push_back({"Set-Cookie", "late=1; path=/"});
        return r;
    });
    HttpOptions options;
    httpRequest(server.base() + "/long", options);
    EXPECT_GT(options.rawHeaders.size(), 7000u);
    EXPECT_EQ(options.receivedCookies, "late=1");
}

TEST(HttpClient, CancelEndsTheRequestsThatShareIt) {
    LoopbackHttpServer silent([](const HttpRequestSeen&) {
        HttpResponse r;
        r.stallBeforeHeadersMs = 600000; // accepts and never answers
        return r;
    });
    auto cancel = std::make_shared<HttpCancel>();
    std::vector<uint8_t> answer{1};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        HttpOptions options;
        options.cancel = cancel;
        options.receiveTimeoutMs = 3000;
        answer = httpRequest(silent.base() + "/never", options);
        done = true;
    });
    ASSERT_TRUE(waitFor([&] { return silent.requests().size() == 1; }, 10000));
    cancel->cancel();
    // Closing the session ends the blocked call on Windows; Wine's WinINet
    // lets it run to its time-out. Either way it returns empty.
    EXPECT_TRUE(waitFor([&] { return done.load(); }, 10000));
    worker.join();
    EXPECT_TRUE(answer.empty());
    EXPECT_TRUE(cancel->cancelled());

    // After the cancel nothing connects any more.
    HttpOptions later;
    later.cancel = cancel;
    const ULONGLONG started = GetTickCount64();
    EXPECT_TRUE(httpRequest(silent.base() + "/later", later).empty());
    EXPECT_LT(GetTickCount64() - started, 500u);
    EXPECT_EQ(silent.requests().size(), 1u);
    silent.stop();
}

TEST(HttpClient, FailuresAreEmptyAndBounded) {
    // Nothing listens on port 1.
    HttpOptions options;
    options.headers = "X-Keep: me";
    EXPECT_TRUE(httpRequest("http://127.0.0.1:1/x", options).empty());

    // A server that accepts and never answers: the time-out ends the wait.
    LoopbackHttpServer silent([](const HttpRequestSeen&) {
        HttpResponse r;
        r.stallBeforeHeadersMs = 600000;
        return r;
    });
    HttpOptions bounded;
    bounded.receiveTimeoutMs = 2000;
    const ULONGLONG started = GetTickCount64();
    EXPECT_TRUE(httpRequest(silent.base() + "/never", bounded).empty());
    EXPECT_LT(GetTickCount64() - started, 20000u);
    silent.stop();

    HttpOptions defaults;
    EXPECT_EQ(defaults.connectTimeoutMs, 15000u);
    EXPECT_EQ(defaults.receiveTimeoutMs, 30000u);
    EXPECT_EQ(defaults.sendTimeoutMs, 30000u);
}

TEST(HttpClient, RequestFlags) {
    EXPECT_EQ(requestFlags("HTTPS://Host/x", false, false), 0x80000000ul | 0x10 | 0x800000);
    EXPECT_EQ(requestFlags("http://h/", false, false), 0x80000000ul | 0x10 | 0x4000);
    EXPECT_EQ(requestFlags("http://h/", true, true), 0x80000000ul | 0x10 | 0x4000 | 0x80000 | 0x200000);
}

} // namespace
