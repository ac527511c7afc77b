// The media pipeline's view of an HttpSource: a readable, seekable IMFByteStream.
#pragma once

#include "HttpSource.h"

#include <mfidl.h>
#include <mfobjects.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace engine {

class HttpByteStream final : public IMFByteStream {
  public:
    explicit HttpByteStream(std::shared_ptr<HttpSource> source);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IMFByteStream
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE GetLength(QWORD* length) override;
    HRESULT STDMETHODCALLTYPE SetLength(QWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(QWORD* position) override;
    HRESULT STDMETHODCALLTYPE SetCurrentPosition(QWORD position) override;
    HRESULT STDMETHODCALLTYPE IsEndOfStream(BOOL* end) override;
    HRESULT STDMETHODCALLTYPE Read(BYTE* buffer, ULONG size, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE BeginRead(BYTE* buffer, ULONG size, IMFAsyncCallback* callback,
                                        IUnknown* state) override;
    HRESULT STDMETHODCALLTYPE EndRead(IMFAsyncResult* result, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const BYTE*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginWrite(const BYTE*, ULONG, IMFAsyncCallback*, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EndWrite(IMFAsyncResult*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Seek(MFBYTESTREAM_SEEK_ORIGIN origin, LONGLONG offset, DWORD flags,
                                   QWORD* position) override;
    HRESULT STDMETHODCALLTYPE Flush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close() override;

  private:
    ~HttpByteStream() = default;

    std::atomic<ULONG> references_{1};
    std::shared_ptr<HttpSource> source_;
    std::mutex mutex_;
    QWORD position_ = 0;
};

} // namespace engine
