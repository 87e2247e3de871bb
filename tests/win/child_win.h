// Starting a test program as a child process, for what must run in a process of its own.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring ThisProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Runs program with arguments, this process's environment and its handles (so that its
// output shows with this program's) to its end: its exit code, or STILL_ACTIVE when it
// did not start or did not end within a minute (it is ended then).
inline DWORD RunToEnd(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &child)) {
        return STILL_ACTIVE;
    }
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(child.hProcess, &exitCode);
    } else {
        TerminateProcess(child.hProcess, 1);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return exitCode;
}
