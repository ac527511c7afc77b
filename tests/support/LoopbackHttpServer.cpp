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

bool sendAll(SOCKET s, const char* data, size_t size) {
    while (size > 0) {
        int n = send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
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
            Sleep(20);
        std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
        bool haveLength = false;
        for (auto& [name, value] : response.headers) {
            out += name + ": " + value + "\r\n";
            haveLength = haveLength || lower(name) == "content-length";
        }
        if (!haveLength)
            out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
        out += "\r\n";
        if (!sendAll(client, out.data(), out.size()))
            break;
        if (request.method == "HEAD")
            continue;
        size_t limit = response.body.size();
        if (response.stallAfterBytes >= 0)
            limit = std::min(limit, static_cast<size_t>(response.stallAfterBytes));
        if (response.dropAfterBytes >= 0)
            limit = std::min(limit, static_cast<size_t>(response.dropAfterBytes));
        if (response.bytesPerSecond > 0) {
            const size_t step = std::max<size_t>(1, static_cast<size_t>(response.bytesPerSecond) / 20);
            for (size_t sent = 0; sent < limit && !stopping_; sent += step) {
                if (!sendAll(client, response.body.data() + sent, std::min(step, limit - sent)))
                    break;
                Sleep(50);
            }
        } else if (!sendAll(client, response.body.data(), limit)) {
            break;
        }
        if (response.dropAfterBytes >= 0)
            break;
        if (response.stallAfterBytes >= 0) {
            while (!stopping_)
                Sleep(20); // never sends the rest
            break;
        }
    }
    closesocket(client);
}

HttpResponse LoopbackHttpServer::fileResponse(const HttpRequestSeen& request, const std::string& bytes,
                                              const std::string& contentType) {
    HttpResponse response;
    response.headers.push_back({"Content-Type", contentType});
    response.headers.push_back({"Accept-Ranges", "bytes"});
    const std::string range = request.header("Range");
    size_t from = 0, to = bytes.empty() ? 0 : bytes.size() - 1;
    if (range.rfind("bytes=", 0) == 0) {
        from = static_cast<size_t>(std::atoll(range.c_str() + 6));
        const size_t dash = range.find('-');
        if (dash != std::string::npos && dash + 1 < range.size())
            to = std::min(to, static_cast<size_t>(std::atoll(range.c_str() + dash + 1)));
        if (from >= bytes.size()) {
            response.status = 416;
            response.reason = "Range Not Satisfiable";
            response.headers.push_back({"Content-Range", "bytes */" + std::to_string(bytes.size())});
            return response;
        }
        response.status = 206;
        response.reason = "Partial Content";
        response.headers.push_back({"Content-Range", "bytes " + std::to_string(from) + "-" +
                                                         std::to_string(to) + "/" +
                                                         std::to_string(bytes.size())});
    }
    response.body = bytes.substr(from, to - from + 1);
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
