// The last movie: a profile file "data.ini" next to the program, section
// "最后播放", keys "电影名称" (the row's 序号 text), "电影HASH" (the hash field as
// typed) and "播放进度" (the position in ms).
#pragma once

#include <string>

namespace corvina {

class PlayHistory {
  public:
    // The file: `directory` followed by "/data.ini".
    explicit PlayHistory(std::wstring directory);

    void recordLastMovie(const std::string& rowTitle, const std::string& hashText) const;
    std::string movieTitle() const;
    std::string movieHash() const;
    int savedPosition() const; // text that is no number gives 0
    void savePosition(int position) const;
    const std::wstring& path() const { return path_; }

  private:
    std::string read(const char* key) const;
    void write(const char* key, const std::string& value) const;
    std::wstring path_;
};

} // namespace corvina
