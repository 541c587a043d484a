#include "db/odbc_api.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

OdbcApi odbcApi;

#ifdef _WIN32
const char* const odbcInstallerLibrary = "odbccp32.dll";
const char* const odbcManagerLibrary = "odbc32.dll";
#else
const char* const odbcInstallerLibrary = "libodbcinst.so.2";
const char* const odbcManagerLibrary = "libodbc.so.2";
#endif

namespace {

enum Library { Installer, Manager };
enum Presence { Required, Optional, InstallerCheck };

struct EntryPoint {
    const char* name;
    size_t offset;  // of the pointer inside OdbcApi
    Library library;
    Presence presence;
};

constexpr EntryPoint entryPoints[] = {
#define MV_ODBC_ROW(entry, library, presence) {#entry, offsetof(OdbcApi, entry), library, presence},
    MV_ODBC_ENTRIES(MV_ODBC_ROW)
#undef MV_ODBC_ROW
};
const size_t entryCount = sizeof entryPoints / sizeof entryPoints[0];
static_assert(sizeof entryPoints / sizeof entryPoints[0] == 50, "the binding has 50 entry points");

// Index of the first entry of each lookup step.
const size_t firstManagerEntry = 3;          // SQLAllocConnect
const size_t firstOptionalManagerEntry = 43; // SQLPrimaryKeys
const size_t driverConnectEntry = 48;        // SQLDriverConnect, then the required entries added later
static_assert(entryPoints[firstManagerEntry - 1].library == Installer &&
                  entryPoints[firstManagerEntry].library == Manager,
              "the installer's entries come first");
static_assert(entryPoints[firstOptionalManagerEntry - 1].presence == Required &&
                  entryPoints[firstOptionalManagerEntry].presence == Optional &&
                  entryPoints[driverConnectEntry - 1].presence == Optional &&
                  entryPoints[driverConnectEntry].presence == Required &&
                  entryPoints[entryCount - 1].presence == Required,
              "the manager's optional entries lie between the required ones and SQLDriverConnect");

// The old LoadLibrary rule: a handle of 32 or less is a failure.
HMODULE LoadModule(const char* name)
{
    HMODULE module = LoadLibraryA(name);
    return (uintptr_t)module > 32 ? module : nullptr;
}

// Looks the entry up in its library, stores the pointer (null when missing) and says whether found.
bool LookUp(const EntryPoint& entry)
{
    HMODULE module = entry.library == Installer ? odbcApi.installerModule : odbcApi.managerModule;
    FARPROC address = GetProcAddress(module, entry.name);
    memcpy(reinterpret_cast<char*>(&odbcApi) + entry.offset, &address, sizeof address);
    return address != nullptr;
}

}  // namespace

int LoadOdbcApi()
{
    return LoadOdbcApiFrom(odbcInstallerLibrary, odbcManagerLibrary);
}

int LoadOdbcApiFrom(const char* installerName, const char* managerName)
{
    UnloadOdbcApi();  // a table is bound once; a second load starts from nothing
    odbcApi = OdbcApi{};
    odbcApi.installerModule = LoadModule(installerName);
    if (!odbcApi.installerModule) return 0;
    odbcApi.managerModule = LoadModule(managerName);
    if (!odbcApi.managerModule) {
        FreeLibrary(odbcApi.installerModule);
        odbcApi.installerModule = nullptr;
        return 0;
    }

    for (size_t i = 0; i < firstManagerEntry; i++) LookUp(entryPoints[i]);

    // The installer must answer: this proves that drivers can be found at all.
    char* scratch = static_cast<char*>(malloc(8192));
    if (!scratch) return 0;
    if (!odbcApi.SQLGetInstalledDrivers || !odbcApi.SQLConfigDataSource) {
        free(scratch);
        return 0;
    }
    WORD length = 0;
    BOOL answered = odbcApi.SQLGetInstalledDrivers(scratch, 8192, &length);
    free(scratch);
    if (!answered) return 0;

    for (size_t i = firstManagerEntry; i < firstOptionalManagerEntry; i++)
        if (!LookUp(entryPoints[i])) return 0;
    for (size_t i = firstOptionalManagerEntry; i < driverConnectEntry; i++) LookUp(entryPoints[i]);
    for (size_t i = driverConnectEntry; i < entryCount; i++)
        if (!LookUp(entryPoints[i])) return 0;
    return 1;
}

void UnloadOdbcApi()
{
    if (odbcApi.managerModule) {
        FreeLibrary(odbcApi.managerModule);
        odbcApi.managerModule = nullptr;
    }
    if (odbcApi.installerModule) {
        FreeLibrary(odbcApi.installerModule);
        odbcApi.installerModule = nullptr;
    }
}
