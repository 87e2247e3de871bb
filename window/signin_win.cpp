#include "window/signin_win.h"

#include "base/ids.h"
#include "base/language.h"
#include "base/settings.h"
#include "window/shell_win.h"
#include "window/signin.h"

namespace {

const wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t SWITCH_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// The value is named after the caption; without one it would be the key's default value.
int ProgramPath(char16_t (&path)[RUN_COMMAND_UNITS]) {
    const DWORD n = GetModuleFileNameW(nullptr, Wide(path), RUN_COMMAND_UNITS);
    return caption[0] != 0 && n > 0 && n < RUN_COMMAND_UNITS;
}

// A value of another program of the same name, or one too long to read, is not ours.
bool RunValueNames(const char16_t* program) {
    char16_t command[RUN_COMMAND_UNITS];
    DWORD bytes = sizeof(command) - sizeof(char16_t);
    // A REG_EXPAND_SZ value comes back expanded, as Windows runs it.
    if (RegGetValueW(HKEY_CURRENT_USER, RUN_KEY, Wide(caption), RRF_RT_REG_SZ, nullptr, command, &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    command[bytes / sizeof(char16_t)] = 0;
    const size_t programLength = TextLength(program);
    size_t start = 0;
    const size_t length = ProgramNameInCommand(command, programLength, &start);
    // Paths compare as the file system compares names.
    return length > 0 && CompareStringOrdinal(Wide(command + start), static_cast<int>(length), Wide(program),
                                              static_cast<int>(programLength), TRUE) == CSTR_EQUAL;
}

bool SwitchedOff() {
    BYTE data[256];
    DWORD bytes = sizeof(data);
    DWORD type = REG_NONE;
    return RegGetValueW(HKEY_CURRENT_USER, SWITCH_KEY, Wide(caption), RRF_RT_ANY, &type, data, &bytes) ==
               ERROR_SUCCESS &&
           StartupSwitchedOff(type, data, bytes);
}

}  // namespace

void AddSignInItem() {
    AppendMenuW(sysMenu, MF_STRING, MENU_START_AT_SIGN_IN, Wide(Text(TEXT_START_AT_SIGN_IN)));
}

void UpdateSignInItem() {
    char16_t program[RUN_COMMAND_UNITS];
    const bool usable = ProgramPath(program);
    EnableMenuItem(sysMenu, MENU_START_AT_SIGN_IN, MF_BYCOMMAND | (usable ? MF_ENABLED : MF_GRAYED));
    const bool starts = usable && RunValueNames(program) && !SwitchedOff();
    CheckMenuItem(sysMenu, MENU_START_AT_SIGN_IN, MF_BYCOMMAND | (starts ? MF_CHECKED : MF_UNCHECKED));
}

int OnSignInCommand(WPARAM command) {
    if ((command & 0xFFF0) != MENU_START_AT_SIGN_IN) {
        return 0;
    }
    char16_t program[RUN_COMMAND_UNITS];
    if (!ProgramPath(program)) {
        return 1;
    }
    const bool off = SwitchedOff();
    if (RunValueNames(program) && !off) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RUN_KEY, Wide(caption));
        return 1;
    }
    char16_t runCommand[RUN_COMMAND_UNITS];
    if (!FormatRunCommand(program, reinterpret_cast<const char16_t*>(GetCommandLineW()), runCommand)) {
        return 1;
    }
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return 1;
    }
    const DWORD bytes = static_cast<DWORD>((TextLength(runCommand) + 1) * sizeof(char16_t));
    const LONG written =
        RegSetValueExW(key, Wide(caption), 0, REG_SZ, reinterpret_cast<const BYTE*>(runCommand), bytes);
    RegCloseKey(key);
    // The user asked for the entry here: Task Manager's "off" would keep it from starting.
    if (written == ERROR_SUCCESS && off) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, SWITCH_KEY, Wide(caption));
    }
    return 1;
}
