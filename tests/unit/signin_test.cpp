#include <gtest/gtest.h>

#include <string>

#include "window/signin.h"

// The options come back exactly as typed, however argument 0 was written.
TEST(RunCommand, QuotedProgramThenTheOptionsAsStarted) {
    struct Row {
        const char16_t* commandLine;
        const char16_t* expected;
    } rows[] = {
        {u"\"C:\\Tools\\Nuvelo.exe\" d3 t  P", u"\"C:\\P\\N.exe\" d3 t  P"},
        {u"Nuvelo\td3 F\"MS Gothic\"", u"\"C:\\P\\N.exe\" d3 F\"MS Gothic\""},
        {u"\"C:\\Program Files\\Nuvelo.exe\"d3", u"\"C:\\P\\N.exe\" d3"},  // as CommandLineToArgvW splits it
        {u"\"C:\\Tools\\Nuvelo.exe\"   ", u"\"C:\\P\\N.exe\""},
        {u"\"C:\\Tools\\Nuvelo.exe d3", u"\"C:\\P\\N.exe\""},  // no closing quote: all of it is the name
        {u"", u"\"C:\\P\\N.exe\""},
    };
    for (const Row& row : rows) {
        char16_t command[RUN_COMMAND_UNITS];
        EXPECT_TRUE(FormatRunCommand(u"C:\\P\\N.exe", row.commandLine, command));
        EXPECT_EQ(std::u16string(row.expected), command);
    }
}

// A command that does not fit is refused whole; one unit less fits exactly.
TEST(RunCommand, TooLongIsRefusedNotCut) {
    const std::u16string program = u"C:\\N.exe";  // "C:\N.exe" and a blank: 11 units
    for (size_t options : {RUN_COMMAND_UNITS - 12, RUN_COMMAND_UNITS - 11}) {
        const std::u16string line = u"N " + std::u16string(options, u'x');
        char16_t command[RUN_COMMAND_UNITS];
        const bool fits = options == RUN_COMMAND_UNITS - 12;
        EXPECT_EQ(fits, FormatRunCommand(program.c_str(), line.c_str(), command) == 1);
        EXPECT_EQ(fits ? RUN_COMMAND_UNITS - 1 : 0, std::u16string(command).size());
    }
}

TEST(RunCommand, WhereTheProgramIsNamed) {
    const std::u16string program = u"C:\\Program Files\\Nuvelo.exe";
    struct Row {
        const char16_t* command;
        size_t start;
        size_t length;
    } rows[] = {
        {u"\"C:\\Program Files\\Nuvelo.exe\" d3", 1, program.size()},
        {u"\"C:\\Other\\Nuvelo.exe\"", 1, 19},
        {u"\"C:\\Program Files\\Nuvelo.exe", 1, program.size()},
        {u"C:\\Program Files\\Nuvelo.exe d3", 0, program.size()},
        {u"C:\\Program Files\\Nuvelo.exe", 0, program.size()},
        {u"C:\\Program Files\\Nuvelo.exe2", 0, 0},
        {u"C:\\Program Files\\Nuvelo.ex", 0, 0},
        {u"\"\"", 1, 0},
        {u"", 0, 0},
    };
    for (const Row& row : rows) {
        size_t start = 99;
        EXPECT_EQ(row.length, ProgramNameInCommand(row.command, program.size(), &start));
        EXPECT_EQ(row.start, start);
    }
}

TEST(StartupSwitch, OffWhenTheFirstByteIsOdd) {
    const uint8_t on[] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const uint8_t off[] = {3, 0, 0, 0, 0x17, 0x79, 0xbd, 1, 0x17, 0xd9, 0xd1, 1};
    const uint8_t onAlso[] = {6, 0, 0, 0};
    const uint8_t offAlso[] = {7, 0, 0, 0};
    EXPECT_FALSE(StartupSwitchedOff(STARTUP_SWITCH_TYPE, on, sizeof(on)));
    EXPECT_TRUE(StartupSwitchedOff(STARTUP_SWITCH_TYPE, off, sizeof(off)));
    EXPECT_FALSE(StartupSwitchedOff(STARTUP_SWITCH_TYPE, onAlso, sizeof(onAlso)));
    EXPECT_TRUE(StartupSwitchedOff(STARTUP_SWITCH_TYPE, offAlso, sizeof(offAlso)));
    EXPECT_FALSE(StartupSwitchedOff(STARTUP_SWITCH_TYPE, off, 0));
    EXPECT_FALSE(StartupSwitchedOff(4, off, sizeof(off)));  // REG_DWORD 3
}
