// The login window of the real Marvitelkon.exe: the ID remembered in the prefix's registry, a login
// that leads to the main window, a failed one that keeps the window and is remembered for the next
// start, and the close box.
#include "tests/e2e/e2e_driver.h"

#include "shell/shell_ids.h"
#include "tests/harness/test_documents.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <string>
#include <vector>

namespace {

const char* const ConfigName = "Marvitelkon.ini";
const char* const LoginCaption = "Bejelenkezés";

// Marvitelkon.ini: one user, no programs, no data sources, scrambled with the configuration key.
bool WriteConfig(const e2e::StartDirectory& start)
{
    std::string document = Document("Próba Kft.", "", UserLine("Kovács Éva", "KOVACS", "TITOK"),
                                    DataSourceFields("MYSQL", "", "", ""), DataSourceFields("MSSQL", "", "", ""));
    return start.Write(ConfigName, Scramble(document));
}

e2e::WindowMatch IsMainWindow()
{
    return e2e::HasControl(IDC_MAIN_LIST, "SysListView32");
}

// Types an ID and a password as a user does (the ID field emptied first) and presses Ok.
void TryLogin(HWND login, const std::string& id, const std::string& password)
{
    ASSERT_TRUE(e2e::SetControlText(login, IDC_LOGIN_ID, ""));
    ASSERT_TRUE(e2e::TypeText(login, IDC_LOGIN_ID, id));
    ASSERT_TRUE(e2e::SetControlText(login, IDC_LOGIN_PASSWORD, ""));
    ASSERT_TRUE(e2e::TypeText(login, IDC_LOGIN_PASSWORD, password));
    ASSERT_TRUE(e2e::Click(login, IDC_LOGIN_OK));
}

// Closes the main window and expects the program to end.
void CloseMainWindow(e2e::Program& launcher, HWND main)
{
    ASSERT_TRUE(e2e::PressCloseBox(main));
    EXPECT_TRUE(launcher.ExpectExit());
}

// Sets the permissions of the machine's key of the remembered ID: "readable only" is what an ordinary
// Windows user meets there (Wine runs programs as an administrator, but keeps to a key's permissions).
bool SetMachineKeyAccess(const char* sddl)
{
    HKEY key;
    PSECURITY_DESCRIPTOR access = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, e2e::LoginKeyPath, 0, WRITE_DAC, &key)) return false;
    bool set = ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &access, nullptr) &&
               !RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, access);
    LocalFree(access);
    RegCloseKey(key);
    return set;
}

class LoginE2e : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteConfig(start)); }

    // Starts the program and waits for its login window.
    HWND StartLogin(e2e::Program& launcher)
    {
        if (!launcher.Start(e2e::ProgramPath(), start.Path())) return nullptr;
        HWND login = launcher.WaitForDialog(LoginCaption);
        EXPECT_TRUE(login) << "no login window; windows: " << e2e::DescribeWindows(launcher);
        return login;
    }

    e2e::SavedLogin savedLogin;
    e2e::StartDirectory start;
};

}  // namespace

TEST_F(LoginE2e, OffersTheRememberedIdOrZoda)
{
    struct Case {
        const char* name;
        bool store;
        const char* stored;
        const char* shown;
    } cases[] = {
        {"remembered", true, "NAGY", "NAGY"},
        {"only blanks", true, "   ", "ZODA"},
        {"nothing remembered", false, "", "ZODA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.store) {
            ASSERT_TRUE(e2e::WriteRememberedLogin(c.stored));
        } else {
            e2e::DeleteRememberedLoginKey();
        }
        e2e::Program launcher;
        HWND login = StartLogin(launcher);
        ASSERT_TRUE(login);
        EXPECT_EQ(e2e::ControlText(login, IDC_LOGIN_ID), c.shown);
        EXPECT_EQ(e2e::ControlText(login, IDC_LOGIN_PASSWORD), "");
        ASSERT_TRUE(e2e::PressCloseBox(login));
        HWND main = launcher.WaitForWindow(IsMainWindow());
        ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
        CloseMainWindow(launcher, main);
        // Only an attempt stores anything.
        std::string value;
        EXPECT_EQ(e2e::ReadRememberedLogin(&value), c.store);
        if (c.store) {
            EXPECT_EQ(value, c.stored);
        }
    }
}

TEST_F(LoginE2e, TheRightPasswordLeadsToTheMainWindowWithHeaderAndName)
{
    ASSERT_TRUE(e2e::WriteRememberedLogin("KOVACS"));
    e2e::Program launcher;
    HWND login = StartLogin(launcher);
    ASSERT_TRUE(login);
    ASSERT_EQ(e2e::ControlText(login, IDC_LOGIN_ID), "KOVACS");
    // Letters typed become capitals, as the fields turn them.
    ASSERT_TRUE(e2e::TypeText(login, IDC_LOGIN_PASSWORD, "titok"));
    EXPECT_EQ(e2e::ControlText(login, IDC_LOGIN_PASSWORD), "TITOK");
    ASSERT_TRUE(e2e::Click(login, IDC_LOGIN_OK));

    HWND main = launcher.WaitForWindow(IsMainWindow());
    ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
    EXPECT_EQ(e2e::Text(main), "Próba Kft. - Kovács Éva");
    EXPECT_FALSE(e2e::IsShown(login));
    EXPECT_EQ(launcher.FindTopWindow(e2e::IsMessageBox()), nullptr);
    std::string value;
    EXPECT_TRUE(e2e::ReadRememberedLogin(&value));
    EXPECT_EQ(value, "KOVACS");
    CloseMainWindow(launcher, main);
}

TEST_F(LoginE2e, AWrongPasswordKeepsTheWindowAndTheMistypedIdIsOfferedNextTime)
{
    ASSERT_TRUE(e2e::WriteRememberedLogin("KOVACS"));
    {
        e2e::Program launcher;
        HWND login = StartLogin(launcher);
        ASSERT_TRUE(login);
        TryLogin(login, "kovacz", "titok");

        HWND box = launcher.WaitForMessageBox();
        ASSERT_TRUE(box) << e2e::DescribeWindows(launcher);
        e2e::MessageBoxView view;
        ASSERT_TRUE(e2e::ReadMessageBox(box, &view));
        EXPECT_EQ(view.caption, "Üzenet");
        EXPECT_EQ(view.text, "A bejelentkezés sikertelen.");
        EXPECT_EQ(view.buttons, std::vector<int>{IDOK});
        EXPECT_FALSE(view.hasIcon);
        EXPECT_EQ(view.owner, login);
        // The attempt has remembered the typed ID by the time the message shows.
        std::string value;
        EXPECT_TRUE(e2e::ReadRememberedLogin(&value));
        EXPECT_EQ(value, "KOVACZ");

        ASSERT_TRUE(e2e::Click(box, IDOK));
        ASSERT_TRUE(e2e::WaitForGone(box));
        EXPECT_TRUE(e2e::IsShown(login)) << "the window stays for another attempt";
        EXPECT_EQ(e2e::ControlText(login, IDC_LOGIN_ID), "KOVACZ");
        EXPECT_EQ(launcher.FindTopWindow(IsMainWindow()), nullptr);

        ASSERT_TRUE(e2e::PressCloseBox(login));
        HWND main = launcher.WaitForWindow(IsMainWindow());
        ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
        CloseMainWindow(launcher, main);
    }
    // The next start offers the mistyped ID.
    e2e::Program again;
    HWND login = StartLogin(again);
    ASSERT_TRUE(login);
    EXPECT_EQ(e2e::ControlText(login, IDC_LOGIN_ID), "KOVACZ");
    ASSERT_TRUE(e2e::PressCloseBox(login));
    HWND main = again.WaitForWindow(IsMainWindow());
    ASSERT_TRUE(main) << e2e::DescribeWindows(again);
    CloseMainWindow(again, main);
}

TEST_F(LoginE2e, TheCloseBoxLeadsToTheEmptyMainWindow)
{
    e2e::Program launcher;
    HWND login = StartLogin(launcher);
    ASSERT_TRUE(login);
    ASSERT_TRUE(e2e::PressCloseBox(login));
    HWND main = launcher.WaitForWindow(IsMainWindow());
    ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
    EXPECT_EQ(e2e::Text(main), " - ");
    e2e::RemoteList list(e2e::Control(main, IDC_MAIN_LIST));
    ASSERT_TRUE(list.Ready());
    EXPECT_EQ(list.Count(), 0);
    CloseMainWindow(launcher, main);
}

TEST_F(LoginE2e, AUserWhoMayNotWriteTheMachinesValueHasTheirOwnIdRememberedAndOfferedFirst)
{
    ASSERT_TRUE(e2e::WriteRememberedLogin("GEP"));
    struct Unlock {
        ~Unlock() { SetMachineKeyAccess("D:(A;OICI;KA;;;WD)"); }
    } unlock;
    ASSERT_TRUE(SetMachineKeyAccess("D:P(A;;KR;;;WD)"));
    // The machine's ID while the user has none, then the user's own.
    for (const char* offered : {"GEP", "KOVACS"}) {
        e2e::Program launcher;
        HWND login = StartLogin(launcher);
        ASSERT_TRUE(login);
        EXPECT_EQ(e2e::ControlText(login, IDC_LOGIN_ID), offered);
        TryLogin(login, "KOVACS", "TITOK");
        HWND main = launcher.WaitForWindow(IsMainWindow());
        ASSERT_TRUE(main) << e2e::DescribeWindows(launcher);
        CloseMainWindow(launcher, main);
        char user[16] = "";
        DWORD size = sizeof user;
        RegGetValueA(HKEY_CURRENT_USER, e2e::LoginKeyPath, e2e::LoginValueName, RRF_RT_REG_SZ, nullptr, user, &size);
        EXPECT_STREQ(user, "KOVACS");
        std::string machine;
        EXPECT_TRUE(e2e::ReadRememberedLogin(&machine) && machine == "GEP") << machine;
    }
}
