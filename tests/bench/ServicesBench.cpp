// services-bench: prints the web and text services' figures.
//   httpRequest on a 50 MB loopback body against a plain WinINet loop
//   the index page's pattern run through RegexObject over 10 000 records
#include "HttpClient.h"
#include "LoopbackHttpServer.h"
#include "RegexObject.h"
#include "TestSupport.h"

#include <objbase.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace testing_support;

namespace {

void throughput() {
    std::string body(50u << 20, '\0');
    std::mt19937 random(5);
    for (auto& c : body)
        c = static_cast<char>('a' + random() % 26);
    LoopbackHttpServer server([&](const HttpRequestSeen&) { return HttpResponse{200, "OK", {}, body}; });
    const std::string url = server.base() + "/body";
    auto plain = [&] {
        const double t = nowMs();
        HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        HINTERNET request = InternetOpenUrlA(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
        // Keeps the body, as any caller that wants it must.
        std::vector<char> buffer(64 * 1024);
        std::vector<char> kept;
        DWORD n = 0;
        while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &n) && n > 0)
            kept.insert(kept.end(), buffer.begin(), buffer.begin() + n);
        const size_t total = kept.size();
        InternetCloseHandle(request);
        InternetCloseHandle(internet);
        return total / ((nowMs() - t) / 1000) / (1 << 20);
    };
    auto ours = [&] {
        const double t = nowMs();
        const size_t total = corvina::httpRequest(url).size();
        return total / ((nowMs() - t) / 1000) / (1 << 20);
    };
    plain();
    double plainBest = 0, oursBest = 0;
    for (int i = 0; i < 5; ++i) {
        plainBest = std::max(plainBest, plain());
        oursBest = std::max(oursBest, ours());
    }
    std::printf("httpRequest 50 MB loopback, best of 5: plain WinINet loop %.0f MB/s, httpRequest %.0f MB/s, "
                "ratio %.2f\n",
                plainBest, oursBest, oursBest / plainBest);
}

void regex() {
    std::string page = "{\"files\":";
    for (int i = 0; i < 10000; ++i)
        page += "[{\"index\":" + std::to_string(i) + ",\"name\":\"\\u7535\\u5f71" + std::to_string(i) +
                ".mkv\",\"size\":\"" + std::to_string(100 + i) + " MB\",\"sha1\":\"" + std::string(40, 'A') +
                "\"}]";
    page += "}";
    const char* pattern =
        "\\[{#引号index#引号:(.*?),#引号name#引号:#引号(.*?)#引号,#引号size#引号:#引号(.*?)#引号,"
        "#引号sha1#引号:#引号(.*?)#引号}\\]";
    const double t = nowMs();
    corvina::RegexObject re;
    const bool ok = re.execute(pattern, page, false, false, true, true);
    const int count = ok ? re.matchCount() : 0;
    const double matched = nowMs() - t;
    std::string last;
    for (int n = 1; n <= count; ++n)
        last = re.subMatchText(n, 4);
    const double read = nowMs() - t;
    std::printf("index pattern over 10 000 records (%zu KB): %d matches, execute %.0f ms, with reading every "
                "group %.0f ms\n",
                page.size() / 1024, count, matched, read);
}

} // namespace

int main() {
    std::printf("services-bench\n");
    throughput();
    regex();
    return 0;
}
