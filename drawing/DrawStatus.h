// The drawing layer: small owners of GDI+ objects, one operation per GDI+
// call, each keeping the call's status.
//
// Pixel format: every surface that is blended with AlphaBlend or presented
// with UpdateLayeredWindow is 32-bit premultiplied BGRA (a DIB section, top
// row last in memory unless said otherwise); GDI+ draws into it through a
// graphics opened on its DC, and colours handed to GDI+ are straight ARGB.
#pragma once

namespace corvina {

// The status (0 = Ok) of the latest wrapped GDI+ call of any drawing object.
// Drawing happens on the window thread only.
inline int lastDrawStatus = 0;

// Stores `status` as the latest and tells whether it is Ok.
inline bool noteDrawStatus(int status) {
    lastDrawStatus = status;
    return status == 0;
}

} // namespace corvina
