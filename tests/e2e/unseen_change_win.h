// Changing WallPaperSource the way no registry notice reports it, for the scenarios and
// the benchmark that look at what a slideshow refresh alone does. The wallpaper key
// becomes a link to a key of the caller's, a new one at each change: a notice watches
// the key the link led to when the program opened it, never a newer one, while every
// read opens the link afresh. Shared by the driver and the benchmark.
#pragma once

#include <windows.h>

#include <string>

namespace unseen_change {

constexpr wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";

inline std::wstring Target(int number) {
    return L"Software\\NuveloTest\\General" + std::to_wstring(number);
}

// Makes WallPaperSource read path through target `number` (0 at the first change, when
// the plain key, which must hold nothing else, gives way to the link).
inline LONG SetWallpaperSourceThrough(int number, const std::wstring& path) {
    const std::wstring target = Target(number);
    LONG status = RegSetKeyValueW(HKEY_LOCAL_MACHINE, target.c_str(), L"WallPaperSource", REG_SZ,
                                  path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    HKEY link = nullptr;
    if (status == ERROR_SUCCESS && number == 0) {
        status = RegDeleteKeyW(HKEY_CURRENT_USER, WALLPAPER_KEY);
        if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
            status = RegCreateKeyExW(HKEY_CURRENT_USER, WALLPAPER_KEY, 0, nullptr,
                                     REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK, KEY_SET_VALUE, nullptr,
                                     &link, nullptr);
        }
    } else if (status == ERROR_SUCCESS) {
        status = RegOpenKeyExW(HKEY_CURRENT_USER, WALLPAPER_KEY, REG_OPTION_OPEN_LINK, KEY_SET_VALUE, &link);
    }
    if (status == ERROR_SUCCESS) {
        const std::wstring native = L"\\Registry\\Machine\\" + target;
        status = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                                reinterpret_cast<const BYTE*>(native.c_str()),
                                static_cast<DWORD>(native.size() * sizeof(wchar_t)));
        RegCloseKey(link);
    }
    return status;
}

// The link and the count targets go; the caller then makes the plain key anew. With a
// count of 0 there is no link, and the plain key stays.
inline void RemoveLink(int count) {
    if (count == 0) {
        return;
    }
    HKEY link;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WALLPAPER_KEY, REG_OPTION_OPEN_LINK, DELETE, &link) ==
        ERROR_SUCCESS) {
        RegDeleteKeyW(link, L"");
        RegCloseKey(link);
    }
    for (int i = 0; i < count; ++i) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, Target(i).c_str());
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\NuveloTest");
}

}  // namespace unseen_change
