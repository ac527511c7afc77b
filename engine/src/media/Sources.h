// The movie's bytes from a local file, or from a network address through
// HttpSource (its cache, pacing, reconnects and cookie).
#pragma once

#include "../HttpSource.h"
#include "ByteSource.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

namespace engine {

class FileSource final : public ByteSource {
  public:
    // Null when the file cannot be opened for reading.
    static std::unique_ptr<FileSource> open(const std::wstring& path);
    ~FileSource() override;
    long read(uint64_t position, uint8_t* buffer, size_t size) override;
    int64_t length() const override { return length_; }
    void abort() override { aborted_ = true; }

  private:
    FileSource(HANDLE file, int64_t length) : file_(file), length_(length) {}
    HANDLE file_;
    int64_t length_;
    std::atomic<bool> aborted_{false};
};

class NetworkSource final : public ByteSource {
  public:
    explicit NetworkSource(std::shared_ptr<HttpSource> http) : http_(std::move(http)) {}
    long read(uint64_t position, uint8_t* buffer, size_t size) override {
        return http_->read(position, buffer, size);
    }
    int64_t length() const override { return http_->length(); }
    void abort() override { http_->abort(); }

  private:
    std::shared_ptr<HttpSource> http_;
};

// A file:// URL to a local path; anything else unchanged.
std::string localPath(const std::string& url);

} // namespace engine
