// The ODBC binding against stand-in libraries that leave out chosen entry points (tests/db/fake_odbc),
// and against the platform's real driver manager.
#include "db/odbc_api.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

// One row per entry point of the table, in lookup order, as the binding left it.
struct Slot {
    int number;  // 1-based position in the table
    std::string name;
    bool optional;
    bool set;
};

std::vector<Slot> Slots()
{
    std::vector<Slot> slots;
#define MV_TEST_SLOT(entry, library, presence)                                                  \
    slots.push_back({(int)slots.size() + 1, #entry, std::string(#presence) == "Optional",      \
                     odbcApi.entry != nullptr});
    MV_ODBC_ENTRIES(MV_TEST_SLOT)
#undef MV_TEST_SLOT
    return slots;
}

int NumberOf(const std::string& name)
{
    for (const Slot& slot : Slots())
        if (slot.name == name) return slot.number;
    return 0;
}

// Full path of a stand-in library.
std::string FakeLibrary(const std::string& name)
{
#ifdef _WIN32
    std::string path = std::string("Z:") + MV_FAKE_ODBC_DIR + "/" + name + ".dll";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#else
    return std::string(MV_FAKE_ODBC_DIR) + "/" + name + ".so";
#endif
}

const std::string installerAll = FakeLibrary("fake_odbcinst_all");
const std::string managerAll = FakeLibrary("fake_odbc_all");
const std::string missingLibrary = FakeLibrary("no_such_library");

// Whether the process has the library loaded, without loading it.
bool IsLoaded(const std::string& path)
{
#ifdef _WIN32
    return GetModuleHandleA(path.c_str()) != nullptr;
#else
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (module) dlclose(module);  // NOLOAD still counts a reference when it finds the library
    return module != nullptr;
#endif
}

// The stand-ins record their loads and unloads in the process environment.
std::string Recorded(const char* name)
{
#ifdef _WIN32
    char value[256];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n && n < sizeof value ? std::string(value, n) : std::string();
#else
    const char* value = getenv(name);
    return value ? value : "";
#endif
}

void ClearRecorded(const char* name)
{
#ifdef _WIN32
    SetEnvironmentVariableA(name, nullptr);
#else
    unsetenv(name);
#endif
}

class OdbcBinding : public ::testing::Test {
protected:
    void SetUp() override
    {
        UnloadOdbcApi();
        for (const char* name : {"MV_FAKE_INSTALLER_LOADS", "MV_FAKE_MANAGER_LOADS", "MV_FAKE_UNLOADS"})
            ClearRecorded(name);
    }
    void TearDown() override { UnloadOdbcApi(); }

    // Checks the slots: every entry numbered below firstUnset is set except those in unset, and every
    // entry from firstUnset on is null.
    static void ExpectSlots(const std::vector<std::string>& unset, int firstUnset = 51)
    {
        for (const Slot& slot : Slots()) {
            bool expectSet = slot.number < firstUnset;
            for (const std::string& name : unset)
                if (name == slot.name) expectSet = false;
            EXPECT_EQ(slot.set, expectSet) << "entry " << slot.number << " " << slot.name;
        }
    }
};

TEST_F(OdbcBinding, TableHasTheEntriesInLookupOrder)
{
    std::vector<Slot> slots = Slots();
    ASSERT_EQ(slots.size(), 50u);
    EXPECT_EQ(slots[0].name, "SQLConfigDataSource");
    EXPECT_EQ(slots[3].name, "SQLAllocConnect");
    EXPECT_EQ(slots[28].name, "SQLDataSourcesW");
    EXPECT_EQ(slots[42].name, "SQLCloseCursor");
    EXPECT_EQ(slots[48].name, "SQLDriverConnect");
    EXPECT_EQ(slots[49].name, "SQLMoreResults");
    std::vector<int> optional;
    for (const Slot& slot : slots)
        if (slot.optional) optional.push_back(slot.number);
    EXPECT_EQ(optional, (std::vector<int>{3, 44, 45, 46, 47, 48}));
}

TEST_F(OdbcBinding, CompleteLibrariesLoadAndFillEveryEntry)
{
    ASSERT_EQ(LoadOdbcApiFrom(installerAll.c_str(), managerAll.c_str()), 1);
    EXPECT_NE(odbcApi.installerModule, nullptr);
    EXPECT_NE(odbcApi.managerModule, nullptr);
    ExpectSlots({});
    EXPECT_TRUE(IsLoaded(installerAll));
    EXPECT_TRUE(IsLoaded(managerAll));
    EXPECT_EQ(Recorded("MV_FAKE_INSTALLER_LOADS"), "1");
    EXPECT_EQ(Recorded("MV_FAKE_MANAGER_LOADS"), "1");

    UnloadOdbcApi();
    EXPECT_EQ(Recorded("MV_FAKE_UNLOADS"), "MI") << "the driver manager goes first";
    EXPECT_EQ(odbcApi.installerModule, nullptr);
    EXPECT_EQ(odbcApi.managerModule, nullptr);
    EXPECT_FALSE(IsLoaded(installerAll));
    EXPECT_FALSE(IsLoaded(managerAll));
    UnloadOdbcApi();
    EXPECT_EQ(Recorded("MV_FAKE_UNLOADS"), "MI");
}

TEST_F(OdbcBinding, EachOptionalEntryMayBeMissing)
{
    const char* optional[] = {"SQLRemoveDSNFromIni", "SQLPrimaryKeys", "SQLForeignKeys", "SQLProcedures",
                              "SQLProcedureColumns", "SQLGetFunctions"};
    for (std::string entry : optional) {
        SCOPED_TRACE(entry);
        bool inInstaller = entry == "SQLRemoveDSNFromIni";
        std::string installer = inInstaller ? FakeLibrary("fake_odbcinst_no_" + entry) : installerAll;
        std::string manager = inInstaller ? managerAll : FakeLibrary("fake_odbc_no_" + entry);
        EXPECT_EQ(LoadOdbcApiFrom(installer.c_str(), manager.c_str()), 1);
        ExpectSlots({entry});
        UnloadOdbcApi();
        EXPECT_FALSE(IsLoaded(installer));
        EXPECT_FALSE(IsLoaded(manager));
    }
}

// A missing required entry of the driver manager ends the lookups there: it and every later entry
// stay null, and both libraries stay loaded until UnloadOdbcApi.
TEST_F(OdbcBinding, MissingRequiredManagerEntryFailsAndStopsTheLookups)
{
    const char* required[] = {"SQLAllocConnect", "SQLDataSourcesW", "SQLEndTran", "SQLCloseCursor",
                              "SQLDriverConnect", "SQLMoreResults"};
    for (std::string entry : required) {
        SCOPED_TRACE(entry);
        std::string manager = FakeLibrary("fake_odbc_no_" + entry);
        EXPECT_EQ(LoadOdbcApiFrom(installerAll.c_str(), manager.c_str()), 0);
        ExpectSlots({}, NumberOf(entry));
        EXPECT_NE(odbcApi.installerModule, nullptr);
        EXPECT_NE(odbcApi.managerModule, nullptr);
        EXPECT_TRUE(IsLoaded(installerAll));
        EXPECT_TRUE(IsLoaded(manager));
        ClearRecorded("MV_FAKE_UNLOADS");
        UnloadOdbcApi();
        EXPECT_EQ(Recorded("MV_FAKE_UNLOADS"), "MI");
        EXPECT_FALSE(IsLoaded(installerAll));
        EXPECT_FALSE(IsLoaded(manager));
    }
}

// An installer without SQLConfigDataSource or SQLGetInstalledDrivers, or one that finds no drivers,
// fails before anything of the driver manager is looked up.
TEST_F(OdbcBinding, InstallerThatCannotAnswerFails)
{
    struct Case {
        const char* library;
        std::vector<std::string> unset;
    } cases[] = {
        {"fake_odbcinst_no_SQLConfigDataSource", {"SQLConfigDataSource"}},
        {"fake_odbcinst_no_SQLGetInstalledDrivers", {"SQLGetInstalledDrivers"}},
        {"fake_odbcinst_no_drivers", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        std::string installer = FakeLibrary(c.library);
        EXPECT_EQ(LoadOdbcApiFrom(installer.c_str(), managerAll.c_str()), 0);
        ExpectSlots(c.unset, NumberOf("SQLAllocConnect"));
        EXPECT_TRUE(IsLoaded(installer));
        EXPECT_TRUE(IsLoaded(managerAll));
        UnloadOdbcApi();
        EXPECT_FALSE(IsLoaded(installer));
        EXPECT_FALSE(IsLoaded(managerAll));
    }
}

TEST_F(OdbcBinding, MissingInstallerFailsWithoutTryingTheManager)
{
    EXPECT_EQ(LoadOdbcApiFrom(missingLibrary.c_str(), managerAll.c_str()), 0);
    EXPECT_EQ(Recorded("MV_FAKE_MANAGER_LOADS"), "") << "the driver manager was loaded";
    EXPECT_FALSE(IsLoaded(managerAll));
    EXPECT_EQ(odbcApi.installerModule, nullptr);
    EXPECT_EQ(odbcApi.managerModule, nullptr);
    ExpectSlots({}, 1);
    UnloadOdbcApi();
    UnloadOdbcApi();
    EXPECT_EQ(Recorded("MV_FAKE_UNLOADS"), "");
}

TEST_F(OdbcBinding, MissingManagerReleasesTheInstallerAgain)
{
    EXPECT_EQ(LoadOdbcApiFrom(installerAll.c_str(), missingLibrary.c_str()), 0);
    EXPECT_EQ(Recorded("MV_FAKE_INSTALLER_LOADS"), "1");
    EXPECT_EQ(Recorded("MV_FAKE_UNLOADS"), "I");
    EXPECT_FALSE(IsLoaded(installerAll));
    EXPECT_EQ(odbcApi.installerModule, nullptr);
    EXPECT_EQ(odbcApi.managerModule, nullptr);
    ExpectSlots({}, 1);
}

// The binding releases each library exactly once: a reference the test holds itself survives a failed
// load, an unload and a second unload, and the library goes only when the test lets it go.
TEST_F(OdbcBinding, UnloadReleasesOnlyWhatTheBindingHolds)
{
    HMODULE ownInstaller = LoadLibraryA(installerAll.c_str());
    ASSERT_NE(ownInstaller, nullptr);
    EXPECT_EQ(LoadOdbcApiFrom(installerAll.c_str(), missingLibrary.c_str()), 0);
    UnloadOdbcApi();
    UnloadOdbcApi();
    EXPECT_TRUE(IsLoaded(installerAll));
    FreeLibrary(ownInstaller);
    EXPECT_FALSE(IsLoaded(installerAll));

    std::string noDrivers = FakeLibrary("fake_odbcinst_no_drivers");
    HMODULE ownManager = LoadLibraryA(managerAll.c_str());
    ASSERT_NE(ownManager, nullptr);
    EXPECT_EQ(LoadOdbcApiFrom(noDrivers.c_str(), managerAll.c_str()), 0);
    UnloadOdbcApi();
    UnloadOdbcApi();
    EXPECT_FALSE(IsLoaded(noDrivers));
    EXPECT_TRUE(IsLoaded(managerAll));
    FreeLibrary(ownManager);
    EXPECT_FALSE(IsLoaded(managerAll));
}

// The platform's own driver manager and installer (unixODBC natively, Wine's odbc32/odbccp32 with the
// drivers registered in the prefix).
TEST_F(OdbcBinding, RealDriverManagerLoads)
{
    ASSERT_EQ(LoadOdbcApi(), 1);
    EXPECT_NE(odbcApi.installerModule, nullptr);
    EXPECT_NE(odbcApi.managerModule, nullptr);
    for (const Slot& slot : Slots()) {
        if (slot.optional) continue;
        EXPECT_TRUE(slot.set) << slot.name;
    }
    UnloadOdbcApi();
    EXPECT_EQ(odbcApi.installerModule, nullptr);
    EXPECT_EQ(odbcApi.managerModule, nullptr);
}

}  // namespace
