#include "UiEngine.h"

#include "ControlGlyphs.h"

namespace corvina {

UiEngine& uiEngine() {
    static UiEngine engine;
    return engine;
}

bool registerVexaClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), "Vexa", &wc))
        return true;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA; // hosts subclass the windows they attach to
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = "";
    wc.lpszClassName = "Vexa";
    return RegisterClassExA(&wc) != 0;
}

bool UiEngine::start() {
    if (started_)
        return true;
    const bool registered = registerVexaClass();
    theme_.reset();
    UiTheme& t = theme_.emplace();
    bool ok = t.darkPen.create(0x64000000, 1) && t.lightPen.create(0x64FFFFFF, 1);
    // No listed family installed: the system's GUI font rather than no text.
    if (!t.titleFont.createFirstOf(titleFontFamilies(), 14))
        ok = t.titleFont.fromDefaultGuiFont() && ok;
    ok = t.titleBrush.create(0xF0787A7B) && ok;
    ok = t.titleFormat.create(Gdiplus::StringFormatFlagsNoFontFallback | Gdiplus::StringFormatFlagsNoWrap) &&
         t.titleFormat.setLineAlign(Gdiplus::StringAlignmentCenter) &&
         t.titleFormat.setAlign(Gdiplus::StringAlignmentNear) && ok;
    ok = t.controlTextBrush.create(0xFF000000) && t.scratchBrush.create(0xFF000000) && ok;
    ok = t.labelTextBrush.create(0xFFC0C0C0) && ok;
    ok = t.labelFormat.create(Gdiplus::StringFormatFlagsNoFontFallback | Gdiplus::StringFormatFlagsNoWrap) &&
         t.labelFormat.setLineAlign(Gdiplus::StringAlignmentCenter) &&
         t.labelFormat.setAlign(Gdiplus::StringAlignmentNear) && ok;
    ok = t.centredFormat.create(Gdiplus::StringFormatFlagsNoFontFallback | Gdiplus::StringFormatFlagsNoWrap) &&
         t.centredFormat.setLineAlign(Gdiplus::StringAlignmentCenter) &&
         t.centredFormat.setAlign(Gdiplus::StringAlignmentCenter) && ok;
    ok = t.checkBoxes[0].fromBytes(glyphBytes(Glyph::BoxNormal)) &&
         t.checkBoxes[1].fromBytes(glyphBytes(Glyph::BoxHot)) &&
         t.checkBoxes[2].fromBytes(glyphBytes(Glyph::BoxPressed)) && t.checkMark.fromBytes(glyphBytes(Glyph::CheckMark)) &&
         ok;
    animationSwitch = true;
    windowIconInTitle = true;
    started_ = true;
    return ok && registered;
}

void UiEngine::stop() {
    theme_.reset();
    started_ = false;
}

} // namespace corvina
