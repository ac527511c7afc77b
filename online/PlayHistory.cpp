#include "PlayHistory.h"

#include "TextConvert.h"

#include <windows.h>

#include <cstdlib>

namespace corvina {
namespace {
constexpr char kSection[] = "最后播放";
} // namespace

PlayHistory::PlayHistory(std::wstring directory) : path_(std::move(directory) + L"/data.ini") {}

std::string PlayHistory::read(const char* key) const {
    std::wstring buffer(10240, L'\0'); // longer values are cut
    const DWORD n = GetPrivateProfileStringW(gbkToWide(kSection).c_str(), gbkToWide(key).c_str(), L"",
                                             buffer.data(), static_cast<DWORD>(buffer.size()), path_.c_str());
    buffer.resize(n);
    return wideToGbk(buffer);
}

void PlayHistory::write(const char* key, const std::string& value) const {
    WritePrivateProfileStringW(gbkToWide(kSection).c_str(), gbkToWide(key).c_str(), gbkToWide(value).c_str(),
                               path_.c_str());
}

void PlayHistory::recordLastMovie(const std::string& rowTitle, const std::string& hashText) const {
    write("电影名称", rowTitle);
    write("电影HASH", hashText);
}

std::string PlayHistory::movieTitle() const {
    return read("电影名称");
}
std::string PlayHistory::movieHash() const {
    return read("电影HASH");
}

int PlayHistory::savedPosition() const {
    return std::atoi(read("播放进度").c_str());
}

void PlayHistory::savePosition(int position) const {
    write("播放进度", std::to_string(position));
}

} // namespace corvina
