#include "HttpByteStream.h"

#include <mfapi.h>
#include <mferror.h>

namespace engine {
namespace {

// Carries the byte count of a BeginRead to its EndRead.
class ReadCount final : public IUnknown {
  public:
    explicit ReadCount(ULONG count) : count_(count) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --references_;
        if (n == 0)
            delete this;
        return n;
    }
    ULONG count() const { return count_; }

  private:
    ~ReadCount() = default;
    std::atomic<ULONG> references_{1};
    ULONG count_;
};

} // namespace

HttpByteStream::HttpByteStream(std::shared_ptr<HttpSource> source) : source_(std::move(source)) {}

HRESULT HttpByteStream::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMFByteStream) {
        *object = static_cast<IMFByteStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG HttpByteStream::AddRef() {
    return ++references_;
}

ULONG HttpByteStream::Release() {
    ULONG n = --references_;
    if (n == 0)
        delete this;
    return n;
}

HRESULT HttpByteStream::GetCapabilities(DWORD* capabilities) {
    *capabilities = MFBYTESTREAM_IS_READABLE | (source_->length() >= 0 ? MFBYTESTREAM_IS_SEEKABLE : 0);
    return S_OK;
}

HRESULT HttpByteStream::GetLength(QWORD* length) {
    const int64_t n = source_->length();
    *length = n >= 0 ? static_cast<QWORD>(n) : static_cast<QWORD>(-1);
    return S_OK;
}

HRESULT HttpByteStream::GetCurrentPosition(QWORD* position) {
    std::lock_guard lock(mutex_);
    *position = position_;
    return S_OK;
}

HRESULT HttpByteStream::SetCurrentPosition(QWORD position) {
    std::lock_guard lock(mutex_);
    position_ = position;
    return S_OK;
}

HRESULT HttpByteStream::IsEndOfStream(BOOL* end) {
    std::lock_guard lock(mutex_);
    const int64_t n = source_->length();
    *end = n >= 0 && position_ >= static_cast<QWORD>(n);
    return S_OK;
}

HRESULT HttpByteStream::Read(BYTE* buffer, ULONG size, ULONG* read) {
    std::lock_guard lock(mutex_);
    ULONG total = 0;
    while (total < size) {
        const long n = source_->read(position_, buffer + total, size - total);
        if (n < 0) {
            if (read)
                *read = total;
            return total > 0 ? S_OK : E_FAIL;
        }
        if (n == 0)
            break;
        total += static_cast<ULONG>(n);
        position_ += static_cast<QWORD>(n);
    }
    if (read)
        *read = total;
    return S_OK;
}

HRESULT HttpByteStream::BeginRead(BYTE* buffer, ULONG size, IMFAsyncCallback* callback, IUnknown* state) {
    ULONG read = 0;
    const HRESULT hr = Read(buffer, size, &read);
    auto* count = new ReadCount(read);
    IMFAsyncResult* result = nullptr;
    HRESULT created = MFCreateAsyncResult(count, callback, state, &result);
    count->Release();
    if (FAILED(created))
        return created;
    result->SetStatus(hr);
    const HRESULT invoked = MFInvokeCallback(result);
    result->Release();
    return invoked;
}

HRESULT HttpByteStream::EndRead(IMFAsyncResult* result, ULONG* read) {
    if (!result || !read)
        return E_INVALIDARG;
    IUnknown* object = nullptr;
    *read = 0;
    if (SUCCEEDED(result->GetObject(&object)) && object) {
        *read = static_cast<ReadCount*>(object)->count();
        object->Release();
    }
    return result->GetStatus();
}

HRESULT HttpByteStream::Seek(MFBYTESTREAM_SEEK_ORIGIN origin, LONGLONG offset, DWORD, QWORD* position) {
    std::lock_guard lock(mutex_);
    const LONGLONG base = origin == msoCurrent ? static_cast<LONGLONG>(position_) : 0;
    if (base + offset < 0)
        return E_INVALIDARG;
    position_ = static_cast<QWORD>(base + offset);
    if (position)
        *position = position_;
    return S_OK;
}

HRESULT HttpByteStream::Close() {
    source_->abort();
    return S_OK;
}

} // namespace engine
