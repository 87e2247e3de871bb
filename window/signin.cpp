#include "window/signin.h"

namespace {

bool Blank(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

const char16_t* OptionsOfCommandLine(const char16_t* commandLine) {
    const char16_t* at = commandLine;
    if (*at == u'"') {
        ++at;
        while (*at != 0 && *at++ != u'"') {
        }
    } else {
        while (*at != 0 && !Blank(*at)) {
            ++at;
        }
    }
    while (Blank(*at)) {
        ++at;
    }
    return at;
}

int FormatRunCommand(const char16_t* program,
                     const char16_t* commandLine,
                     char16_t (&command)[RUN_COMMAND_UNITS]) {
    const char16_t* options = OptionsOfCommandLine(commandLine);
    command[0] = 0;
    const bool whole = AppendText(command, u"\"") && AppendText(command, program) &&
                       AppendText(command, u"\"") &&
                       (*options == 0 || (AppendText(command, u" ") && AppendText(command, options)));
    if (!whole) {
        command[0] = 0;
    }
    return whole;
}

size_t ProgramNameInCommand(const char16_t* command, size_t programLength, size_t* start) {
    if (command[0] == u'"') {
        const size_t length = TextLength(command + 1);
        size_t end = 0;
        while (end < length && command[1 + end] != u'"') {
            ++end;
        }
        *start = 1;
        return end;
    }
    *start = 0;
    if (TextLength(command, programLength + 1) < programLength) {
        return 0;
    }
    const char16_t after = command[programLength];
    return after == 0 || Blank(after) ? programLength : 0;
}

bool StartupSwitchedOff(uint32_t type, const uint8_t* data, uint32_t bytes) {
    return type == STARTUP_SWITCH_TYPE && bytes >= 1 && (data[0] & 1) != 0;
}
