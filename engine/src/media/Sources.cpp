#include "Sources.h"

#include <cctype>
#include <cstring>

namespace engine {

std::unique_ptr<FileSource> FileSource::open(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<FileSource>(new FileSource(file, size.QuadPart));
}

FileSource::~FileSource() {
    CloseHandle(file_);
}

long FileSource::read(uint64_t position, uint8_t* buffer, size_t size) {
    if (aborted_)
        return -1;
    if (position >= static_cast<uint64_t>(length_) || size == 0)
        return 0;
    // Positioned reads: no shared file pointer, so no lock.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    if (!ReadFile(file_, buffer, want, &got, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return static_cast<long>(got);
}

std::string localPath(const std::string& url) {
    if (url.size() < 7 || _strnicmp(url.c_str(), "file://", 7) != 0)
        return url;
    std::string rest = url.substr(7);
    if (rest.size() > 2 && rest[0] == '/' && rest[2] == ':')
        rest.erase(0, 1); // file:///C:/x
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hex(rest[i + 1]) && hex(rest[i + 2])) {
            path.push_back(static_cast<char>(std::stoi(rest.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            path.push_back(rest[i] == '/' ? '\\' : rest[i]);
        }
    }
    return path;
}

} // namespace engine
