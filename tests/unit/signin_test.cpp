#include <gtest/gtest.h>

#include <string>

#include "window/signin.h"

// The options come back exactly as typed, however argument 0 was written; a command
// that does not fit is refused whole (one unit less fits).
TEST(RunCommand, QuotedProgramThenTheOptionsAsStarted) {
    const std::u16string fits = u"N " + std::u16string(RUN_COMMAND_UNITS - 12, u'x');  // after "C:\N.exe"
    const std::u16string fitted = u"\"C:\\N.exe\" " + fits.substr(2);
    const std::u16string tooLong = fits + u"x";
    struct Row {
        const char16_t* commandLine;
        const char16_t* expected;  // null: refused
    } rows[] = {
        {u"\"C:\\Tools\\Nuvelo.exe\" d3 t  P", u"\"C:\\N.exe\" d3 t  P"},
        {u"Nuvelo\td3 F\"MS Gothic\"", u"\"C:\\N.exe\" d3 F\"MS Gothic\""},
        {u"\"C:\\Program Files\\Nuvelo.exe\"d3", u"\"C:\\N.exe\" d3"},  // as CommandLineToArgvW splits it
        {u"\"C:\\Tools\\Nuvelo.exe\"   ", u"\"C:\\N.exe\""},
        {u"\"C:\\Tools\\Nuvelo.exe d3", u"\"C:\\N.exe\""},  // no closing quote: all of it is the name
        {u"", u"\"C:\\N.exe\""},
        {fits.c_str(), fitted.c_str()},
        {tooLong.c_str(), nullptr},
    };
    for (const Row& row : rows) {
        char16_t command[RUN_COMMAND_UNITS];
        EXPECT_EQ(row.expected != nullptr, FormatRunCommand(u"C:\\N.exe", row.commandLine, command) == 1);
        EXPECT_EQ(std::u16string(row.expected != nullptr ? row.expected : u""), command);
    }
}

TEST(RunCommand, WhereTheProgramIsNamed) {
    const std::u16string program = u"C:\\Program Files\\Nuvelo.exe";
    const size_t whole = program.size();
    struct Row {
        const char16_t* command;
        size_t start;
        size_t length;
    } rows[] = {{u"\"C:\\Program Files\\Nuvelo.exe\" d3", 1, whole},
                {u"\"C:\\Program Files\\Nuvelo.exe", 1, whole},
                {u"C:\\Program Files\\Nuvelo.exe d3", 0, whole},
                {u"C:\\Program Files\\Nuvelo.exe", 0, whole},
                {u"C:\\Program Files\\Nuvelo.exe2", 0, 0},
                {u"C:\\Program Files\\Nuvelo.ex", 0, 0},
                {u"", 0, 0}};
    for (const Row& row : rows) {
        size_t start = 99;
        EXPECT_EQ(row.length, ProgramNameInCommand(row.command, whole, &start));
        EXPECT_EQ(row.start, start);
    }
}

// 02 and 06 on, 03 and 07 off (the time of the change after them), as Task Manager writes
// them; an empty value or one of another type is no switch.
TEST(StartupSwitch, OffWhenTheFirstByteIsOdd) {
    const uint8_t values[][4] = {{2}, {3}, {6}, {7}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(i % 2 == 1, StartupSwitchedOff(STARTUP_SWITCH_TYPE, values[i], 4)) << i;
    }
    EXPECT_FALSE(StartupSwitchedOff(STARTUP_SWITCH_TYPE, values[1], 0) ||
                 StartupSwitchedOff(4, values[1], 4));
}
