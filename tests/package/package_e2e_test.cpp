// The release packages as an administrator meets them, run by package_e2e.sh in a fresh Wine prefix:
// the MSI installed over a folder that already holds the administrator's files, the first document
// made with the installed mvconfig.exe, a login through the Start-menu shortcut, the upgrade to a
// higher version, a refused downgrade, the same version built again, the removal; then a folder of
// the administrator's choosing, kept by the upgrade.
#include "tests/e2e/e2e_driver.h"

#include "shell/shell_ids.h"

#include <msi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// One package, as package_e2e.sh describes it: the MSI, its version, and a folder holding the files
// of its zip (the signed programs and the guide, which the MSI must install as they are).
struct Release {
    std::string msi, version, files;
};

Release ReleaseFromEnvironment(const std::string& prefix)
{
    return {e2e::WindowsPath(EnvironmentValue((prefix + "_MSI").c_str())),
            EnvironmentValue((prefix + "_VERSION").c_str()),
            e2e::WindowsPath(EnvironmentValue((prefix + "_FILES").c_str()))};
}

std::string ArtFile(const std::string& name)
{
    return e2e::WindowsPath(EnvironmentValue("MV_SOURCE_DIR")) + "\\resources\\art\\" + name;
}

const char* const PackageFiles[] = {"Marvitelkon.exe", "OLVASSEL.txt", "mvconfig.exe", "mvbackup.exe"};

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = "";
    return SHGetFolderPathA(nullptr, csidl, nullptr, 0, path) == S_OK ? path : "";
}

// Runs a program to its end; its exit code, or ~0 when it could not run or did not end.
DWORD RunToEnd(const std::string& program, const std::string& folder, const std::string& arguments)
{
    e2e::Program run;
    if (!run.Start(program, folder, arguments) || !run.ExpectExit(120000, program.c_str())) return ~0u;
    return run.ExitCode();
}

// msiexec ACTION "MSI" [PROPERTIES] /qn, as an administrator deploys silently.
DWORD Msiexec(const char* action, const std::string& msi, const std::string& properties = "")
{
    std::string arguments = std::string(action) + " \"" + msi + "\" " + properties + " /qn";
    return RunToEnd(KnownFolder(CSIDL_SYSTEM) + "\\msiexec.exe", "C:\\", arguments);
}

// A text of the Hungarian (Windows-1250) block of a program's version resource.
std::string VersionText(const std::string& program, const char* name)
{
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    std::vector<char> data(size);
    char* value = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(program.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), (std::string("\\StringFileInfo\\040E04E2\\") + name).c_str(),
                        reinterpret_cast<void**>(&value), &length))
        return "";
    return std::string(value, length ? length - 1 : 0);
}

// Where Windows Installer made the Start-menu shortcut: the all-users Start menu, or under Wine 8,
// which resolves ProgramMenuFolder to the installing user's even for a per-machine package, that
// one. Empty when there is none.
std::string ShortcutFile()
{
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        std::string file = KnownFolder(csidl) + "\\Marvitelkon.lnk";
        if (PathExists(file)) return file;
    }
    return "";
}

// The shortcut's target and "Start in" folder, read through the shell as Explorer reads them.
std::pair<std::string, std::string> ReadShortcut(const std::string& file)
{
    char target[MAX_PATH] = "", folder[MAX_PATH] = "";
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    IShellLinkA* link = nullptr;
    IPersistFile* persisted = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persisted)))) {
            if (SUCCEEDED(persisted->Load(wide, STGM_READ))) {
                link->GetPath(target, MAX_PATH, nullptr, 0);
                link->GetWorkingDirectory(folder, MAX_PATH);
            }
            persisted->Release();
        }
        link->Release();
    }
    return {target, folder};
}

struct Registration {
    std::string productCode, displayVersion, publisher;
};

// The products "Programs and Features" lists as "Marvitelkon" (the Uninstall key's DisplayName).
std::vector<Registration> RegisteredProducts()
{
    std::vector<Registration> found;
    HKEY uninstall;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                      KEY_READ | KEY_WOW64_64KEY, &uninstall) != ERROR_SUCCESS)
        return found;
    char name[256];
    for (DWORD i = 0, length = sizeof name; RegEnumKeyExA(uninstall, i, name, &length, nullptr, nullptr, nullptr,
                                                          nullptr) == ERROR_SUCCESS; i++, length = sizeof name) {
        auto value = [&](const char* valueName) {
            char text[512] = "";
            DWORD size = sizeof text - 1;
            RegGetValueA(uninstall, name, valueName, RRF_RT_REG_SZ, nullptr, text, &size);
            return std::string(text);
        };
        if (value("DisplayName") == "Marvitelkon") found.push_back({name, value("DisplayVersion"), value("Publisher")});
    }
    RegCloseKey(uninstall);
    return found;
}

// The release is installed in folder: its files byte for byte, programs carrying its version, one
// registered product of that version with its icon, and the shortcut starting the launcher there.
void ExpectInstalled(const std::string& folder, const Release& release)
{
    for (const char* name : PackageFiles)
        EXPECT_TRUE(ReadBytes(folder + "\\" + name) == ReadBytes(release.files + "\\" + name)) << name << " differs";
    for (const char* name : {"Marvitelkon.exe", "mvconfig.exe", "mvbackup.exe"}) {
        std::string program = folder + "\\" + name;
        EXPECT_EQ(VersionText(program, "ProductVersion"), release.version) << name;
        EXPECT_EQ(VersionText(program, "FileVersion"), release.version) << name;
        EXPECT_EQ(VersionText(program, "OriginalFilename"), name);
        EXPECT_EQ(VersionText(program, "ProductName"), "Marvitelkon") << name;
        EXPECT_EQ(VersionText(program, "CompanyName"), "KOLV Kft.") << name;
        EXPECT_NE(VersionText(program, "LegalCopyright").find("KOLV Kft."), std::string::npos) << name;
        EXPECT_NE(VersionText(program, "FileDescription"), "") << name;
    }

    std::vector<Registration> products = RegisteredProducts();
    ASSERT_EQ(products.size(), 1u) << "one product, whatever was installed before";
    EXPECT_EQ(products[0].displayVersion, release.version);
    EXPECT_EQ(products[0].publisher, "KOLV Kft.");
    // Windows also writes DisplayIcon from the package's ARPPRODUCTICON; Wine 8 only publishes the
    // icon with the product, which is where "Programs and Features" takes it from too.
    char icon[MAX_PATH] = "";
    DWORD length = sizeof icon;
    EXPECT_EQ(MsiGetProductInfoA(products[0].productCode.c_str(), INSTALLPROPERTY_PRODUCTICON, icon, &length),
              static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_TRUE(ReadBytes(icon) == ReadBytes(ArtFile("aa_marvitelkon.ico"))) << "product icon " << icon;

    std::string shortcut = ShortcutFile();
    ASSERT_NE(shortcut, "") << "no Start-menu shortcut";
    std::pair<std::string, std::string> read = ReadShortcut(shortcut);
    EXPECT_EQ(read.first, folder + "\\Marvitelkon.exe");
    EXPECT_EQ(read.second.substr(0, read.second.find_last_not_of('\\') + 1), folder)
        << "the launcher reads its document from the folder it starts in";
}

void ExpectRemoved(const std::string& folder)
{
    for (const char* name : PackageFiles) EXPECT_FALSE(PathExists(folder + "\\" + name)) << name;
    EXPECT_EQ(ShortcutFile(), "");
    EXPECT_TRUE(RegisteredProducts().empty());
}

// Logs in as the document's administrator through the launcher the shortcut starts.
void LogInThroughTheShortcut(const std::string& expectedCaption)
{
    std::pair<std::string, std::string> shortcut = ReadShortcut(ShortcutFile());
    e2e::Program launcher;
    ASSERT_TRUE(launcher.Start(shortcut.first, shortcut.second));
    HWND login = launcher.WaitForDialog("Bejelenkezés");
    ASSERT_TRUE(login) << "no login window; windows: " << e2e::DescribeWindows(launcher);
    EXPECT_TRUE(e2e::SetControlText(login, IDC_LOGIN_ID, "ADMIN"));
    EXPECT_TRUE(e2e::TypeText(login, IDC_LOGIN_PASSWORD, "TITOK"));
    EXPECT_TRUE(e2e::Click(login, IDC_LOGIN_OK));
    HWND main = launcher.WaitForWindow(e2e::HasControl(IDC_MAIN_LIST, "SysListView32"));
    ASSERT_TRUE(main) << "no main window; windows: " << e2e::DescribeWindows(launcher);
    EXPECT_EQ(e2e::Text(main), expectedCaption);
    ASSERT_TRUE(e2e::PressCloseBox(main));
    EXPECT_TRUE(launcher.ExpectExit());
}

}  // namespace

TEST(PackageE2e, InstallsUpgradesAndRemovesTheProgramsAndKeepsTheAdministratorsFiles)
{
    Release first = ReleaseFromEnvironment("MV_PACKAGE"), next = ReleaseFromEnvironment("MV_PACKAGE_NEXT");
    ASSERT_NE(first.version, next.version);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    const std::string folder = KnownFolder(CSIDL_PROGRAM_FILES) + "\\Marvitelkon";

    // The folder exists already: the administrator's files, and a program copied there by hand
    // before there was an installer.
    std::vector<std::pair<std::string, std::string>> kept = {
        {"default.ico", ReadBytes(ArtFile("demo\\default.ico"))},
        {"Marvitelkon.jpg", ReadBytes(ArtFile("demo\\Marvitelkon.jpg"))},
        {"Marvitelkon.ini.4242-1796774400-1.tmp", "félbemaradt mentés"},
        {"KONYVELES-20261209", "-- MariaDB dump"},
        {"konyveles.bak", "SQL Server backup"}};
    ASSERT_TRUE(MakeDirectory(folder));
    for (const auto& file : kept) ASSERT_TRUE(WriteBytes(folder + "\\" + file.first, file.second));
    ASSERT_TRUE(WriteBytes(folder + "\\Marvitelkon.exe", "MZ copied by hand"));

    ASSERT_EQ(Msiexec("/i", first.msi), 0u);
    ExpectInstalled(folder, first);

    ASSERT_EQ(RunToEnd(folder + "\\mvconfig.exe", folder,
                       "init Marvitelkon.ini --id ADMIN --password TITOK --header \"Próba Kft.\""), 0u);
    kept.emplace_back("Marvitelkon.ini", ReadBytes(folder + "\\Marvitelkon.ini"));
    ASSERT_NE(kept.back().second, "");
    LogInThroughTheShortcut("Próba Kft. - Adminisztrátor");

    auto expectKept = [&](const char* step) {
        for (const auto& file : kept)
            EXPECT_TRUE(ReadBytes(folder + "\\" + file.first) == file.second) << step << ": " << file.first;
    };
    ASSERT_EQ(Msiexec("/i", next.msi), 0u);
    ExpectInstalled(folder, next);
    expectKept("upgrade");
    EXPECT_NE(Msiexec("/i", first.msi), 0u) << "an older package must not replace a newer one";
    ExpectInstalled(folder, next);
    // A package of the same version built again (a product code of its own) replaces it too.
    ASSERT_EQ(Msiexec("/i", e2e::WindowsPath(EnvironmentValue("MV_PACKAGE_REBUILT_MSI"))), 0u);
    ExpectInstalled(folder, next);
    expectKept("reinstall");

    ASSERT_EQ(Msiexec("/x", next.msi), 0u);
    ExpectRemoved(folder);
    expectKept("uninstall");
    EXPECT_EQ(FilesIn(folder).size(), kept.size()) << "nothing else left behind";

    // A folder of the administrator's choosing: the upgrade goes there too, where the document is.
    const std::string chosen = "C:\\Irodai programok\\Marvitelkon";
    ASSERT_EQ(Msiexec("/i", first.msi, "INSTALLDIR=\"" + chosen + "\""), 0u);
    ASSERT_EQ(Msiexec("/i", next.msi), 0u);
    ExpectInstalled(chosen, next);
    EXPECT_EQ(FilesIn(folder).size(), kept.size()) << "nothing installed into the default folder";
    ASSERT_EQ(Msiexec("/x", next.msi), 0u);
    ExpectRemoved(chosen);
    CoUninitialize();
}
