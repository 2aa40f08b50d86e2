#include "view_colors.h"

namespace {

const wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const wchar_t kAppsUseLightTheme[] = L"AppsUseLightTheme";
const DWORD kImmersiveDarkModeAttribute = 20;  // DWMWA_USE_IMMERSIVE_DARK_MODE

bool HighContrastOn() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) &&
           (hc.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

const ViewColors kDarkViewColors{RGB(0x20, 0x20, 0x20), RGB(0xE6, 0xE6, 0xE6)};

ViewColors ChooseViewColors(bool highContrast, bool appsDark, ViewColors system) {
    return appsDark && !highContrast ? kDarkViewColors : system;
}

bool AppsDarkFromValue(bool found, DWORD appsUseLightTheme) {
    return found && appsUseLightTheme == 0;
}

bool AppsUseDarkMode() {
    DWORD value = 1, size = sizeof(value);
    const bool found = RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kAppsUseLightTheme,
                                    RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
    return AppsDarkFromValue(found, value);
}

ViewColors CurrentViewColors() {
    return ChooseViewColors(HighContrastOn(), AppsUseDarkMode(),
                            {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)});
}

void ApplyTitleBarTheme(HWND window, bool dark) {
    using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    static const auto setAttribute =
        dwm ? reinterpret_cast<SetAttributeFn>(
                  reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))
            : nullptr;
    if (!setAttribute) return;
    BOOL value = dark ? TRUE : FALSE;
    setAttribute(window, kImmersiveDarkModeAttribute, &value, sizeof(value));
}
