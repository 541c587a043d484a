// RegistryKey against Wine's real registry: a scratch key under HKEY_CURRENT_USER, and once the
// login's own path under HKEY_LOCAL_MACHINE, put back as it was found.
#include "support/registry_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const LoginKeyPath = "Software\\KOLV Kft.\\Marvitelkon\\System";

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = "Software\\Marvitelkon tests\\RegistryKey " + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &raw), ERROR_SUCCESS);
    }
    void TearDown() override
    {
        if (raw) RegCloseKey(raw);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Marvitelkon tests");
    }
    void Store(const char* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExA(raw, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    // The stored bytes of a value, read past RegistryKey.
    std::string Stored(const char* name, DWORD* type = nullptr)
    {
        DWORD t = 0, size = 0;
        if (RegQueryValueExA(raw, name, nullptr, &t, nullptr, &size) != ERROR_SUCCESS) return "<missing>";
        std::string data(size, '\0');
        RegQueryValueExA(raw, name, nullptr, &t, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
        if (type) *type = t;
        return data;
    }
    RegistryKey Opened()
    {
        RegistryKey key{};
        EXPECT_TRUE(key.Open(HKEY_CURRENT_USER, path.c_str()));
        return key;
    }

    std::string path;
    HKEY raw = nullptr;
};

TEST_F(RegistryKeyTest, NullRootIsRefusedWithoutTouchingTheRegistry)
{
    RegistryKey key{};
    EXPECT_FALSE(key.Open(nullptr, path.c_str()));
    EXPECT_FALSE(key.Create(nullptr, "Software\\Marvitelkon tests\\never"));
    EXPECT_EQ(key.key, nullptr);
    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Marvitelkon tests\\never", &probe), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, OpenNeedsAnExistingKeyAndCreateMakesMissingParents)
{
    std::string deep = path + "\\one\\two";
    RegistryKey key{};
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, deep.c_str()));
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, deep.c_str()));
    EXPECT_TRUE(key.SetString("x", "v"));
    key.Close();
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, deep.c_str()));
    char text[16];
    EXPECT_TRUE(key.GetString(text, sizeof text, "v"));
    EXPECT_STREQ(text, "x");
    key.Close();
    // Create on an existing key opens it, values intact.
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, deep.c_str()));
    EXPECT_TRUE(key.GetString(text, sizeof text, "v"));
    EXPECT_STREQ(text, "x");
    key.Close();
}

TEST_F(RegistryKeyTest, SetStringStoresTheTextWithItsTerminatorAsRegSz)
{
    struct Case {
        const char* text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"", std::string(1, '\0')},
        {"ADMIN", std::string("ADMIN\0", 6)},
        {"Árvíztűrő", std::string("Árvíztűrő") + '\0'},  // Windows-1250: one byte a letter
    };
    RegistryKey key = Opened();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(key.SetString(c.text, "Login"));
        DWORD type = 0;
        EXPECT_EQ(Stored("Login", &type), c.bytes);
        EXPECT_EQ(type, (DWORD)REG_SZ);
        char text[64] = "junk";
        EXPECT_TRUE(key.GetString(text, sizeof text, "Login"));
        EXPECT_STREQ(text, c.text);
    }
    key.Close();
}

TEST_F(RegistryKeyTest, WithoutAnOpenKeyNothingIsStoredOrRead)
{
    RegistryKey key{};
    EXPECT_FALSE(key.SetString("x", "Login"));
    char text[16] = "unchanged";
    EXPECT_FALSE(key.GetString(text, sizeof text, "Login"));
    EXPECT_STREQ(text, "unchanged");
}

TEST_F(RegistryKeyTest, EmptyRegSzValuesReadAsEmptyTexts)
{
    Store("terminator only", REG_SZ, "", 1);
    Store("no bytes", REG_SZ, "", 0);
    RegistryKey key = Opened();
    for (const char* name : {"terminator only", "no bytes"}) {
        SCOPED_TRACE(name);
        char text[16] = "junk";
        EXPECT_TRUE(key.GetString(text, sizeof text, name));
        EXPECT_STREQ(text, "");
    }
    key.Close();
}

TEST_F(RegistryKeyTest, MissingValuesAndOtherTypesReadAsAbsent)
{
    DWORD number = 42;
    Store("dword", REG_DWORD, &number, sizeof number);
    Store("expand", REG_EXPAND_SZ, "%TEMP%", 7);
    Store("binary", REG_BINARY, "ABC\0", 4);
    Store("multi", REG_MULTI_SZ, "A\0B\0\0", 5);
    RegistryKey key = Opened();
    for (const char* name : {"dword", "expand", "binary", "multi", "missing"}) {
        SCOPED_TRACE(name);
        char text[16] = "junk";
        EXPECT_FALSE(key.GetString(text, sizeof text, name));
        EXPECT_STREQ(text, "");
    }
    key.Close();
}

TEST_F(RegistryKeyTest, DataStoredWithoutTerminatorIsTerminated)
{
    Store("bare", REG_SZ, "ABCDEFG", 3);
    RegistryKey key = Opened();
    char text[16] = "junkjunkjunk";
    EXPECT_TRUE(key.GetString(text, sizeof text, "bare"));
    EXPECT_STREQ(text, "ABC");
    key.Close();
}

TEST_F(RegistryKeyTest, ValuesBeyondTheReadBufferOrTheCallersFieldAreRefused)
{
    struct Case {
        size_t length;
        size_t capacity;
        bool read;
    };
    const std::vector<Case> cases = {
        {255, 512, true},   // 256 bytes with the terminator: the buffer's limit
        {256, 512, false},
        {300, 512, false},
        {10, 11, true},
        {10, 10, false},    // the caller's field holds 9 characters
    };
    RegistryKey key = Opened();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string value(c.length, 'K');
        ASSERT_TRUE(key.SetString(value.c_str(), "long"));
        std::vector<char> text(c.capacity + 8, 'j');
        text[c.capacity + 7] = '\0';
        EXPECT_EQ(key.GetString(text.data(), c.capacity, "long"), c.read);
        EXPECT_EQ(std::string(text.data()), c.read ? value : std::string());
        // Nothing written past the field.
        EXPECT_EQ(text[c.capacity], 'j');
    }
    key.Close();
}

TEST_F(RegistryKeyTest, CloseIsSafeTwiceAndOnANeverOpenedSlot)
{
    RegistryKey key = Opened();
    key.Close();
    EXPECT_EQ(key.key, nullptr);
    key.Close();
    EXPECT_EQ(key.key, nullptr);
    RegistryKey never{};
    never.Close();
    EXPECT_EQ(never.key, nullptr);
}

// What the login key held before the test, so it can be put back exactly.
struct SavedLoginKey {
    std::vector<std::string> missingLevels;  // deepest last
    bool hadValue = false;
    DWORD type = 0;
    std::string data;

    void Save()
    {
        std::string level;
        for (const char* part : {"Software\\KOLV Kft.", "\\Marvitelkon", "\\System"}) {
            level += part;
            HKEY probe = nullptr;
            if (RegOpenKeyA(HKEY_LOCAL_MACHINE, level.c_str(), &probe) == ERROR_SUCCESS) {
                RegCloseKey(probe);
            } else {
                missingLevels.push_back(level);
            }
        }
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, LoginKeyPath, &key) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (RegQueryValueExA(key, "Login", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            data.resize(size);
            hadValue = RegQueryValueExA(key, "Login", nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) ==
                       ERROR_SUCCESS;
            data.resize(size);
        }
        RegCloseKey(key);
    }
    void Restore()
    {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, LoginKeyPath, &key) == ERROR_SUCCESS) {
            if (hadValue) {
                RegSetValueExA(key, "Login", 0, type, reinterpret_cast<const BYTE*>(data.data()), (DWORD)data.size());
            } else {
                RegDeleteValueA(key, "Login");
            }
            RegCloseKey(key);
        }
        for (auto level = missingLevels.rbegin(); level != missingLevels.rend(); ++level) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, level->c_str());
        }
    }
};

TEST(RegistryKeyLogin, TheLoginValueRoundTripsUnderTheLocalMachineKey)
{
    SavedLoginKey saved;
    saved.Save();
    RegistryKey key{};
    ASSERT_TRUE(key.Create(HKEY_LOCAL_MACHINE, LoginKeyPath));
    EXPECT_TRUE(key.SetString("KOVÁCS", "Login"));
    key.Close();

    RegistryKey reader{};
    ASSERT_TRUE(reader.Open(HKEY_LOCAL_MACHINE, LoginKeyPath));
    char text[32] = "junk";
    EXPECT_TRUE(reader.GetString(text, sizeof text, "Login"));
    EXPECT_STREQ(text, "KOVÁCS");
    reader.Close();
    saved.Restore();

    // Put back as found.
    SavedLoginKey after;
    after.Save();
    EXPECT_EQ(after.missingLevels, saved.missingLevels);
    EXPECT_EQ(after.hadValue, saved.hadValue);
    EXPECT_EQ(after.data, saved.data);
}

}  // namespace
