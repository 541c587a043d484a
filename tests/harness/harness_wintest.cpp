// The dialog harness itself: steps run inside the modal loop, nested dialogs get their own steps,
// message boxes are captured with everything they were given.
#include "tests/harness/dialog_test.h"
#include "tests/harness/message_box_capture.h"

#include "shell/shell_ids.h"

#include <gtest/gtest.h>

namespace {

INT_PTR CALLBACK ClosingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_LOGIN_OK) {
        MessageBoxA(dialog, "szöveg őű", "Üzenet", MB_TASKMODAL);
        EndDialog(dialog, 7);
    }
    return 0;
}

}  // namespace

TEST(DialogHarness, StepsRunInsideTheModalLoopOfTheRealTemplate)
{
    bool ran = false;
    INT_PTR result = RunDialog("LOGIN", ClosingProc, 0, [&](HWND dialog) {
        ran = true;
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(WindowText(dialog), "Bejelenkezés");
        EXPECT_EQ(Text(dialog, IDC_LOGIN_ID_LABEL), "Azonosító");
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(result, 0);
}

TEST(DialogHarness, ADialogLeftOpenIsClosedAfterItsSteps)
{
    EXPECT_EQ(RunDialog("LOGIN", ClosingProc, 0, [](HWND) {}), DialogLeftOpen);
}

TEST(DialogHarness, NestedDialogsGetTheirOwnSteps)
{
    std::string innerCaption;
    RunDialog("LOGIN", ClosingProc, 0, [&](HWND outer) {
        OnNextDialog([&](HWND inner) {
            innerCaption = WindowText(inner);
            EXPECT_EQ(GetParent(inner), outer);
            SendMessageA(inner, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), "LOGIN", outer, ClosingProc, 0), 0);
    });
    EXPECT_EQ(innerCaption, "Bejelenkezés");
}

TEST(MessageBoxCapture, RecordsTextCaptionStyleAndOwner)
{
    MessageBoxCapture capture;
    HWND seen = nullptr;
    INT_PTR result = RunDialog("LOGIN", ClosingProc, 0, [&](HWND dialog) {
        seen = dialog;
        Click(dialog, IDC_LOGIN_OK);
    });
    EXPECT_EQ(result, 7);
    ASSERT_EQ(capture.Count(), 1u);
    EXPECT_EQ(capture.Boxes()[0].text, "szöveg őű");
    EXPECT_EQ(capture.Boxes()[0].caption, "Üzenet");
    EXPECT_EQ(capture.Boxes()[0].style, (UINT)MB_TASKMODAL);
    EXPECT_EQ(capture.Boxes()[0].owner, seen);
}

TEST(Platform, AnsiCodePageIsHungarian)
{
    EXPECT_EQ(GetACP(), 1250u);
}
