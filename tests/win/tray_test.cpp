#include <gtest/gtest.h>

#include <vector>

#include "base/settings.h"
#include "window/shell_win.h"
#include "window/tray_win.h"

namespace {

// A scripted shell: each add answers from the list (0 = success, else that error).
struct ScriptedShell {
    std::vector<DWORD> answers;
    size_t attempts;
    size_t waits;
    DWORD totalWait;
    DWORD lastError;
    DWORD lastMessage;
    NOTIFYICONDATAW lastRecord;
};
ScriptedShell shell;

BOOL WINAPI ScriptedNotify(DWORD message, PNOTIFYICONDATAW data) {
    shell.lastMessage = message;
    shell.lastRecord = *data;
    if (message != NIM_ADD) {
        return TRUE;
    }
    DWORD answer = shell.attempts < shell.answers.size() ? shell.answers[shell.attempts] : ERROR_TIMEOUT;
    ++shell.attempts;
    shell.lastError = answer;
    return answer == 0;
}

DWORD WINAPI ScriptedLastError() {
    return shell.lastError;
}

void WINAPI ScriptedSleep(DWORD milliseconds) {
    ++shell.waits;
    shell.totalWait += milliseconds;
}

class TrayRetry : public ::testing::Test {
protected:
    void SetUp() override {
        saved = trayPlatform;
        trayPlatform = {ScriptedNotify, ScriptedLastError, ScriptedSleep};
        shell = ScriptedShell{};
        CopyText(caption, u"wall");
        appInstance = GetModuleHandleW(nullptr);
    }
    void TearDown() override { trayPlatform = saved; }
    TrayPlatform saved;
};

}  // namespace

TEST_F(TrayRetry, AttemptsAndWaitsByShellAnswers) {
    struct Case {
        const char* name;
        std::vector<DWORD> answers;
        int result;
        size_t attempts;
        size_t waits;
    } cases[] = {
        {"success at once", {0}, 1, 1, 0},
        {"three timeouts, then success", {ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT, 0}, 1, 4, 3},
        {"another error first", {ERROR_ACCESS_DENIED}, 0, 1, 0},
        {"a timeout, then another error", {ERROR_TIMEOUT, ERROR_INVALID_WINDOW_HANDLE}, 0, 2, 1},
        {"ten timeouts", std::vector<DWORD>(10, ERROR_TIMEOUT), 0, 10, 10},
        {"success at the tenth attempt",
         {ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT,
          ERROR_TIMEOUT, ERROR_TIMEOUT, ERROR_TIMEOUT, 0},
         1,
         10,
         9},
    };
    for (const Case& c : cases) {
        shell = ScriptedShell{};
        shell.answers = c.answers;
        EXPECT_EQ(c.result, SetTrayIcon(nullptr, 1)) << c.name;
        EXPECT_EQ(c.attempts, shell.attempts) << c.name;
        EXPECT_EQ(c.waits, shell.waits) << c.name;
        EXPECT_EQ(c.waits * 1000, shell.totalWait) << c.name;
    }
}

TEST_F(TrayRetry, RecordCarriesIconCallbackAndTip) {
    shell.answers = {0};
    HWND window = reinterpret_cast<HWND>(0x1234);
    ASSERT_EQ(1, SetTrayIcon(window, 1));
    EXPECT_EQ(DWORD{NIM_ADD}, shell.lastMessage);
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), shell.lastRecord.cbSize);
    EXPECT_EQ(window, shell.lastRecord.hWnd);
    EXPECT_EQ(1u, shell.lastRecord.uID);
    EXPECT_EQ(UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP}, shell.lastRecord.uFlags);
    EXPECT_EQ(0x8001u, shell.lastRecord.uCallbackMessage);
    EXPECT_STREQ(L"wall", shell.lastRecord.szTip);
    // The image drawn for the small-icon size, not the large one shrunk.
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(shell.lastRecord.hIcon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), bitmap.bmWidth);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(1, SetTrayIcon(window, 0));
}

TEST_F(TrayRetry, RemovalNeverRetriesAndReportsSuccess) {
    EXPECT_EQ(1, SetTrayIcon(nullptr, 0));
    EXPECT_EQ(DWORD{NIM_DELETE}, shell.lastMessage);
    EXPECT_EQ(0u, shell.attempts);
    EXPECT_EQ(0u, shell.waits);
}

// szTip holds 127 characters: a longer caption is cut and stays terminated.
TEST_F(TrayRetry, LongCaptionIsCutToTheTip) {
    for (int i = 0; i < 200; ++i) {
        caption[i] = u'a' + i % 26;
    }
    caption[200] = 0;
    shell.answers = {0};
    ASSERT_EQ(1, SetTrayIcon(nullptr, 1));
    EXPECT_EQ(127u, wcslen(shell.lastRecord.szTip));
    EXPECT_EQ(0, wmemcmp(shell.lastRecord.szTip, Wide(caption), 127));
}
