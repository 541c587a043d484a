// The user-rights editor in the real Marvitelkon.exe: an administrator changes a user's rights and
// saves; after a restart that user sees exactly the new programs.
#include "tests/e2e/e2e_driver.h"

#include "admin/admin_ids.h"
#include "shell/shell_ids.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string programs = ProgramLine("A01", "Könyvelés") + ProgramLine("B02", "Bérszámfejtés") +
                             ProgramLine("C03", "Raktár");
std::string UsersWith(const std::string& kovacsList)
{
    return UserLine("Rendszergazda", "ADMIN", "ADMIN", "YES", "A01;") + UserLine("Kovács Anna", "KOVACS", "ALMA", "NO", kovacsList);
}

HWND LogIn(e2e::Program& launcher, const e2e::StartDirectory& start, const char* id, const char* password)
{
    if (!launcher.Start(e2e::ProgramPath(), start.Path())) return nullptr;
    HWND login = launcher.WaitForDialog("Bejelenkezés");
    EXPECT_TRUE(login) << e2e::DescribeWindows(launcher);
    if (!login) return nullptr;
    e2e::SetControlText(login, IDC_LOGIN_ID, id);
    e2e::TypeText(login, IDC_LOGIN_PASSWORD, password);
    e2e::Click(login, IDC_LOGIN_OK);
    HWND main = launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
    EXPECT_TRUE(main) << e2e::DescribeWindows(launcher);
    return main;
}

TEST(UserRightsE2e, RightsChangedInTheEditorAreTheUsersProgramsAfterARestart)
{
    e2e::SavedLogin keepLogin;
    e2e::StartDirectory start({{"Marvitelkon.ini", Scramble(Document("Kft.", programs, UsersWith("A01;B02;")))}});
    {
        e2e::Program launcher;
        HWND main = LogIn(launcher, start, "ADMIN", "ADMIN");
        ASSERT_TRUE(main);
        e2e::Command(main, IDM_ADMIN_USER_RIGHTS);
        HWND editor = launcher.WaitForDialog("Felhasználói jogosultságok");
        ASSERT_TRUE(editor) << e2e::DescribeWindows(launcher);

        e2e::RemoteList users(e2e::Control(editor, IDC_RIGHTS_USERS));
        e2e::RemoteList rights(e2e::Control(editor, IDC_RIGHTS_USER_PROGRAMS));
        ASSERT_TRUE(users.Ready() && rights.Ready());
        ASSERT_TRUE(users.Select(1));
        ASSERT_TRUE(e2e::WaitUntil([&] { return rights.Count() == 3 && rights.Checked(0) && rights.Checked(1); }));
        EXPECT_FALSE(rights.Checked(2));
        rights.SetState(0, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
        rights.SetState(2, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
        EXPECT_TRUE(e2e::WaitUntil([&] { return users.ItemText(1, 3) == "B02;C03;"; })) << users.ItemText(1, 3);

        e2e::Click(editor, IDC_RIGHTS_SAVE);
        EXPECT_TRUE(e2e::WaitForGone(editor));
        e2e::Close(main);
        EXPECT_TRUE(launcher.ExpectExit());
    }
    EXPECT_EQ(Scramble(start.Read("Marvitelkon.ini")), Document("Kft.", programs, UsersWith("B02;C03;")));

    e2e::Program launcher;
    HWND main = LogIn(launcher, start, "KOVACS", "ALMA");
    ASSERT_TRUE(main);
    e2e::RemoteList list(e2e::Control(main, IDC_MAIN_LIST));
    ASSERT_TRUE(list.Ready());
    std::vector<std::string> shown;
    for (int i = 0; i < list.Count(); i++) shown.push_back(list.ItemText(i, 0));
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"Bérszámfejtés", "Raktár"}));
    e2e::Close(main);
    EXPECT_TRUE(launcher.ExpectExit());
}

}  // namespace
