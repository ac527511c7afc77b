// GDI+ for the whole process: started once, shut down with the owner.
#pragma once

#include <windows.h>

namespace corvina {

class GdiplusSession {
  public:
    GdiplusSession() = default;
    ~GdiplusSession() { shutdown(); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    // A second request is skipped while a token exists. A failed start leaves
    // the token 0 and is not reported further.
    bool startup();
    void shutdown();
    ULONG_PTR token() const { return token_; }

  private:
    ULONG_PTR token_ = 0;
};

} // namespace corvina
