#include "LoopbackHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testing_support {
namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Sends everything unless the server stops first. The socket is non-blocking:
// a client that stops reading (a paused download) must not hold stop().
bool sendAll(SOCKET s, const char* data, size_t size, const std::atomic<bool>& stopping) {
    while (size > 0) {
        if (stopping)
            return false;
        const int n = send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        timeval step{0, 50 * 1000};
        if (select(0, nullptr, &writable, nullptr, &step) < 0)
            return false;
    }
    return true;
}

// Waits until the socket is readable (or a listener has a connection) in
// short select() steps, so that stopping the server never hangs on a client.
bool waitReadable(SOCKET s, const std::atomic<bool>& stopping) {
    while (!stopping) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval step{0, 50 * 1000};
        const int ready = select(0, &readable, nullptr, nullptr, &step);
        if (ready < 0)
            return false;
        if (ready > 0)
            return true;
    }
    return false;
}

int receive(SOCKET s, char* buffer, int size, const std::atomic<bool>& stopping) {
    return waitReadable(s, stopping) ? recv(s, buffer, size, 0) : -1;
}

} // namespace

std::string HttpRequestSeen::header(const std::string& name) const {
    std::istringstream lines(headerBlock);
    std::string line;
    const std::string wanted = lower(name) + ":";
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lower(line.substr(0, wanted.size())) == wanted) {
            std::string value = line.substr(wanted.size());
            while (!value.empty() && value.front() == ' ')
                value.erase(0, 1);
            return value;
        }
    }
    return {};
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 64);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop();
    WSACleanup();
}

void LoopbackHttpServer::stop() {
    if (stopping_.exchange(true))
        return;
    if (acceptThread_.joinable())
        acceptThread_.join();
    closesocket(listener_);
    {
        std::lock_guard lock(mutex_);
        for (SOCKET c : clients_)
            shutdown(c, SD_BOTH);
    }
    for (std::thread& t : workers_)
        if (t.joinable())
            t.join();
}

std::vector<HttpRequestSeen> LoopbackHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::acceptLoop() {
    for (;;) {
        if (!waitReadable(listener_, stopping_))
            return;
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        std::lock_guard lock(mutex_);
        if (stopping_) {
            closesocket(client);
            return;
        }
        u_long nonBlocking = 1;
        ioctlsocket(client, FIONBIO, &nonBlocking);
        clients_.push_back(client);
        workers_.emplace_back([this, client] { serve(client); });
    }
}

void LoopbackHttpServer::serve(SOCKET client) {
    std::string buffer;
    char chunk[8192];
    while (!stopping_) {
        // One request: the head, then a body of Content-Length bytes.
        size_t headEnd;
        while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
            int n = receive(client, chunk, sizeof chunk, stopping_);
            if (n <= 0) {
                closesocket(client);
                return;
            }
            buffer.append(chunk, static_cast<size_t>(n));
        }
        HttpRequestSeen request;
        const std::string head = buffer.substr(0, headEnd);
        const size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        request.headerBlock = lineEnd == std::string::npos ? std::string() : head.substr(lineEnd + 2);
        std::istringstream parts(requestLine);
        parts >> request.method >> request.target;
        buffer.erase(0, headEnd + 4);
        const size_t bodyLength = static_cast<size_t>(std::atoll(request.header("Content-Length").c_str()));
        while (buffer.size() < bodyLength) {
            int n = receive(client, chunk, sizeof chunk, stopping_);
            if (n <= 0)
                break;
            buffer.append(chunk, static_cast<size_t>(n));
        }
        request.body = buffer.substr(0, std::min(bodyLength, buffer.size()));
        buffer.erase(0, request.body.size());
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }

        HttpResponse response = handler_(request);
        for (int waited = 0; waited < response.stallBeforeHeadersMs && !stopping_; waited += 20)
            Sleep(static_cast<DWORD>(std::min(20, response.stallBeforeHeadersMs - waited)));
        std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
        bool haveLength = false;
        for (auto& [name, value] : response.headers) {
            out += name + ": " + value + "\r\n";
            haveLength = haveLength || lower(name) == "content-length";
        }
        const bool fromFile = !response.filePath.empty();
        const uint64_t bodySize = fromFile ? response.fileLength : response.body.size();
        if (!haveLength)
            out += "Content-Length: " + std::to_string(bodySize) + "\r\n";
        out += "\r\n";
        if (!sendAll(client, out.data(), out.size(), stopping_))
            break;
        if (request.method == "HEAD")
            continue;
        uint64_t limit = bodySize;
        if (response.stallAfterBytes >= 0)
            limit = std::min<uint64_t>(limit, static_cast<uint64_t>(response.stallAfterBytes));
        if (response.dropAfterBytes >= 0)
            limit = std::min<uint64_t>(limit, static_cast<uint64_t>(response.dropAfterBytes));
        if (!sendBody(client, response, limit))
            break;
        if (response.dropAfterBytes >= 0 && static_cast<uint64_t>(response.dropAfterBytes) < bodySize)
            break;
        if (response.stallAfterBytes >= 0) {
            while (!stopping_)
                Sleep(20); // never sends the rest
            break;
        }
    }
    closesocket(client);
}

// Sends the first `limit` bytes of the body, throttled when asked: a piece
// every 50 ms, so that a slow line is slow from its first byte.
bool LoopbackHttpServer::sendBody(SOCKET client, const HttpResponse& response, uint64_t limit) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!response.filePath.empty()) {
        file = CreateFileW(response.filePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(response.fileOffset);
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    }
    const uint64_t step = response.bytesPerSecond > 0
                              ? std::max<uint64_t>(1, static_cast<uint64_t>(response.bytesPerSecond) / 20)
                              : uint64_t{1} << 20;
    std::vector<char> piece(file != INVALID_HANDLE_VALUE ? static_cast<size_t>(std::min(step, limit)) : 0);
    bool ok = true;
    for (uint64_t sent = 0; sent < limit && !stopping_ && ok;) {
        const size_t n = static_cast<size_t>(std::min(step, limit - sent));
        const char* data = nullptr;
        if (file != INVALID_HANDLE_VALUE) {
            DWORD got = 0;
            if (!ReadFile(file, piece.data(), static_cast<DWORD>(n), &got, nullptr) || got != n) {
                ok = false;
                break;
            }
            data = piece.data();
        } else {
            data = response.body.data() + sent;
        }
        ok = sendAll(client, data, n, stopping_);
        if (ok) {
            sent += n;
            bodyBytesSent_ += n;
        }
        if (response.bytesPerSecond > 0)
            Sleep(50);
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok && !stopping_;
}

namespace {

// Fills in status and Content-Range for a request against a resource of
// `size` bytes; false when the range cannot be served (416 set).
bool applyRange(const HttpRequestSeen& request, uint64_t size, HttpResponse& response, uint64_t& from,
                uint64_t& to) {
    response.headers.push_back({"Accept-Ranges", "bytes"});
    const std::string range = request.header("Range");
    from = 0;
    to = size == 0 ? 0 : size - 1;
    if (range.rfind("bytes=", 0) != 0)
        return true;
    from = std::strtoull(range.c_str() + 6, nullptr, 10);
    const size_t dash = range.find('-');
    if (dash != std::string::npos && dash + 1 < range.size())
        to = std::min(to, static_cast<uint64_t>(std::strtoull(range.c_str() + dash + 1, nullptr, 10)));
    if (from >= size || from > to) {
        response.status = 416;
        response.reason = "Range Not Satisfiable";
        response.headers.push_back({"Content-Range", "bytes */" + std::to_string(size)});
        return false;
    }
    response.status = 206;
    response.reason = "Partial Content";
    response.headers.push_back({"Content-Range", "bytes " + std::to_string(from) + "-" + std::to_string(to) +
                                                     "/" + std::to_string(size)});
    return true;
}

} // namespace

HttpResponse LoopbackHttpServer::diskFileResponse(const HttpRequestSeen& request, const std::wstring& path,
                                                  const std::string& contentType) {
    HttpResponse response;
    response.headers.push_back({"Content-Type", contentType});
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info)) {
        response.status = 404;
        response.reason = "Not Found";
        return response;
    }
    const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    uint64_t from = 0, to = 0;
    if (!applyRange(request, size, response, from, to))
        return response;
    response.filePath = path;
    response.fileOffset = from;
    response.fileLength = size == 0 ? 0 : to - from + 1;
    return response;
}

HttpResponse LoopbackHttpServer::fileResponse(const HttpRequestSeen& request, const std::string& bytes,
                                              const std::string& contentType) {
    HttpResponse response;
    response.headers.push_back({"Content-Type", contentType});
    uint64_t from = 0, to = 0;
    if (!applyRange(request, bytes.size(), response, from, to))
        return response;
    response.body = bytes.empty() ? std::string() : bytes.substr(from, to - from + 1);
    return response;
}

std::string readAll(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

} // namespace testing_support
