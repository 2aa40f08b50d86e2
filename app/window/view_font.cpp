#include "view_font.h"

#include <commdlg.h>

#include <algorithm>

#include "settings.h"

namespace {

const wchar_t kSection[] = L"View";
const wchar_t kFaceKey[] = L"FontFace";
const wchar_t kTenthsKey[] = L"FontTenthsOfPoint";
const wchar_t kDefaultFace[] = L"ＭＳ ゴシック";
const int kDefaultTenths = 100;
// ChooseFontW offers 8 to 72 points; anything else read back is damage.
const int kSmallestTenths = 60;
const int kLargestTenths = 720;
const int kPointsPerInch = 72;

}  // namespace

ViewFontChoice DefaultViewFontChoice() { return {kDefaultFace, kDefaultTenths}; }

ViewFontChoice LoadViewFontChoice() {
    ViewFontChoice choice{settings::ReadString(kSection, kFaceKey, L""),
                          settings::ReadInt(kSection, kTenthsKey, 0)};
    if (choice.face.empty() || choice.face.size() >= LF_FACESIZE ||
        choice.tenths < kSmallestTenths || choice.tenths > kLargestTenths)
        return DefaultViewFontChoice();
    return choice;
}

void SaveViewFontChoice(const ViewFontChoice& choice) {
    settings::WriteString(kSection, kFaceKey, choice.face);
    settings::WriteInt(kSection, kTenthsKey, choice.tenths);
    settings::SaveInBackground();
}

LONG ViewFontHeight(int tenths, UINT dpi) {
    return -MulDiv(tenths, static_cast<int>(dpi), kPointsPerInch * 10);
}

namespace {

LOGFONTW ViewLogFont(const ViewFontChoice& choice, UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = ViewFontHeight(choice.tenths, dpi);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    choice.face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return lf;
}

}  // namespace

HFONT CreateViewFont(const ViewFontChoice& choice, UINT dpi) {
    LOGFONTW lf = ViewLogFont(choice, dpi);
    return CreateFontIndirectW(&lf);
}

bool AskForViewFont(HWND owner, UINT dpi, ViewFontChoice* choice) {
    LOGFONTW lf = ViewLogFont(*choice, dpi);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS | CF_NOSCRIPTSEL;
    if (!ChooseFontW(&cf)) return false;
    choice->face = lf.lfFaceName;
    choice->tenths = std::clamp(cf.iPointSize, kSmallestTenths, kLargestTenths);
    return true;
}
