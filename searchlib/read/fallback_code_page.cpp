#include "fallback_code_page.h"

namespace {

constexpr UINT kUtf8CodePage = 65001;
constexpr UINT kShiftJisCodePage = 932;

}  // namespace

AnsiCodePageFunction systemAnsiCodePage = GetACP;

FallbackConversion FallbackCodePage() {
    if (systemAnsiCodePage() == kUtf8CodePage) return {kShiftJisCodePage, 0};
    return {CP_ACP, MB_PRECOMPOSED};
}
