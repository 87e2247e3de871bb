// The "start at sign-in" item without the registry: the command that the Run value
// holds, where a command names its program, and Task Manager's switch for an entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/text.h"

// A Run command: the program's path in quotes, then the options as started. Enough for
// any path and any option list a person types; a longer one is refused whole.
constexpr int RUN_COMMAND_UNITS = 2048;

// What follows the program's name in a command line, as given: the name read as
// CommandLineToArgvW reads argument 0 (quoted up to the next quote, otherwise up to a
// blank), then the blanks after it.
const char16_t* OptionsOfCommandLine(const char16_t* commandLine);

// "program" options, or "program" alone without options. 0 and an empty command when it
// does not fit: a cut command would start the program with other options.
int FormatRunCommand(const char16_t* program,
                     const char16_t* commandLine,
                     char16_t (&command)[RUN_COMMAND_UNITS]);

// The part of a Run command that names its program, to compare with a path of
// programLength units: the text inside the opening quotes, or, unquoted, the first
// programLength units when a blank or the end follows them (a path with blanks, as
// Windows itself tries it). Its length, and its start in *start; 0 when there is none.
size_t ProgramNameInCommand(const char16_t* command, size_t programLength, size_t* start);

// Task Manager's switch for one entry (Explorer\StartupApproved\Run): a binary value whose
// first byte is even (02, 06) while the entry may start and odd (03, 07) once the user
// turned it off; the bytes after it hold the time of that change. A value of any other
// shape is not taken as turned off: Windows starts an entry that has no switch.
constexpr uint32_t STARTUP_SWITCH_TYPE = 3;  // REG_BINARY
bool StartupSwitchedOff(uint32_t type, const uint8_t* data, uint32_t bytes);
