// DLLs from System32 only. Windows looks for a DLL named without a path in the
// program's own folder first, so a file of that name beside Nuvelo.exe (a Downloads
// folder) would run inside it. Header-only: the entry point uses it before the C
// runtime starts, in every program linked with that entry.
#pragma once

#include <windows.h>

#include <cstring>

// The function of that name in module, as the pointer type the caller declares: false
// (and null) where the module or the function is missing, as on an older Windows.
template <typename Proc>
bool FindProc(HMODULE module, const char* name, Proc& proc) {
    proc = module != nullptr ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
    return proc != nullptr;
}

// Before anything is loaded: every later load by a bare name, and every DLL a loaded
// DLL needs, comes from System32. SetDefaultDllDirectories exists from Windows 8 on (7
// with its update KB2533623); without it the loads by full path below still hold.
inline void RestrictDllSearchToSystem32() {
    BOOL(WINAPI* restrict)(DWORD);
    if (FindProc(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories", restrict)) {
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

// The system's DLL of that name by its full System32 path, or null where the file does
// not exist (shcore.dll on Windows 7) or the path would not fit. The DLLs it needs are
// looked for beside it, in System32, not beside the program.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const UINT folder = GetSystemDirectoryW(path, MAX_PATH);
    if (folder == 0 || folder >= MAX_PATH) {
        return nullptr;
    }
    size_t length = 0;
    while (name[length] != 0) {
        ++length;
    }
    if (folder + 1 + length >= MAX_PATH) {
        return nullptr;
    }
    path[folder] = L'\\';
    memcpy(path + folder + 1, name, (length + 1) * sizeof(wchar_t));
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
