// The program's start: settings from the command line, the windows, the message loop.
#pragma once

#include <windows.h>

int RunApplication(HINSTANCE instance, int showCommand);
