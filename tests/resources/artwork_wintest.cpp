// The program's own artwork as the resources and the demo files carry it.
#include "tests/harness/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

const char* const IconNames[] = {"AA_MARVITELKON", "MV_MYSQL", "MV_MSSQL", "MV_PROGRAM",
                                 "MV_USER", "MV_JOG", "MV_BACKUP"};
const char* const BitmapNames[] = {"VIEW_REPORT", "VIEW_LIST", "VIEW_ICON", "VIEW_FUTTAT", "VIEW_ODBC", "VIEW_EXIT"};

TEST(Artwork, EveryIconHasItsSizesFrom100To200PercentAnd256In32BitColour)
{
    HMODULE module = GetModuleHandleA(nullptr);
    for (const char* name : IconNames) {
        SCOPED_TRACE(name);
        HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        ASSERT_NE(resource, nullptr);
        auto* group = static_cast<const GroupIconHeader*>(LockResource(LoadResource(module, resource)));
        std::vector<int> widths;
        for (int i = 0; i < group->count; ++i) {
            widths.push_back(group->entries[i].width ? group->entries[i].width : 256);
            EXPECT_EQ(group->entries[i].bitCount, 32);
            EXPECT_EQ(group->entries[i].width, group->entries[i].height);
        }
        EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
        HICON icon = static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 32, 32, 0));
        EXPECT_NE(icon, nullptr);
        DestroyIcon(icon);
    }
}

TEST(Artwork, TheProgramIconIsTheFirstIconGroup)
{
    // The shell shows the first icon group of an executable as its icon.
    std::string first;
    EnumResourceNamesA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(14),
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) -> BOOL {
            *reinterpret_cast<std::string*>(found) = IS_INTRESOURCE(name) ? "#" : name;
            return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ(first, "AA_MARVITELKON");
}

TEST(Artwork, TheManifestDeclaresPerMonitorDpiAwarenessAndTheSupportedWindowsVersions)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(resource, nullptr);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, resource))),
                         SizeofResource(nullptr, resource));
    for (const char* entry :
         {">PerMonitorV2, PerMonitor, System</dpiAwareness>", ">true/pm</dpiAware>",
          "\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"", "\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"",  // 7, 8
          "\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"", "\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\""})  // 8.1, 10
        EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
}

TEST(Artwork, MenuBitmapsAre14By14In24BitColour)
{
    for (const char* name : BitmapNames) {
        SCOPED_TRACE(name);
        HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
        ASSERT_NE(bitmap, nullptr);
        BITMAP info = {};
        ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), (int)sizeof info);
        EXPECT_EQ(info.bmWidth, 14);
        EXPECT_EQ(info.bmHeight, 14);
        DeleteObject(bitmap);
        HRSRC resource = FindResourceA(GetModuleHandleA(nullptr), name, MAKEINTRESOURCEA(2));  // RT_BITMAP
        ASSERT_NE(resource, nullptr);
        auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, resource)));
        EXPECT_EQ(header->biBitCount, 24);
    }
}

TEST(Artwork, DemoIconsLoadFromTheirFilesAsTheProgramListLoadsThem)
{
    std::string directory = "Z:" + EnvironmentValue("MV_SOURCE_DIR") + "\\resources\\art\\demo\\";
    for (const char* name : {"default.ico", "ledger.ico", "stock.ico", "payroll.ico"}) {
        SCOPED_TRACE(name);
        HICON icon = static_cast<HICON>(
            LoadImageA(nullptr, (directory + name).c_str(), IMAGE_ICON, 64, 64, LR_LOADFROMFILE | LR_LOADTRANSPARENT));
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP color = {};
        GetObjectA(info.hbmColor, sizeof color, &color);
        EXPECT_EQ(color.bmWidth, 64);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

}  // namespace
