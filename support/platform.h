// The few kernel32 calls and types that the portable code (support, config, db and the pure parts of
// shell) uses. On Windows they are the real ones; natively platform_posix.cpp stands in for them with
// the same names and the same results, so the portable code reads the same on both.
#pragma once

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>

#else  // native stand-ins

#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>
#include <stddef.h>
#include <stdint.h>

// unixODBC's sqltypes.h already gives BOOL, DWORD, WORD, HWND, LPSTR and the like.
typedef void* HANDLE;
typedef void* HMODULE;
typedef void* HINSTANCE;
typedef int32_t LONG;
typedef LONG* PLONG;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef const char* LPCSTR;
typedef intptr_t (*FARPROC)(void);

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define FILE_SHARE_DELETE 0x4
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x1
#define FILE_ATTRIBUTE_HIDDEN 0x2
#define FILE_ATTRIBUTE_SYSTEM 0x4
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_ARCHIVE 0x20
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define MOVEFILE_REPLACE_EXISTING 0x1
#define MOVEFILE_WRITE_THROUGH 0x8
#define REPLACEFILE_WRITE_THROUGH 0x1
#define REPLACEFILE_IGNORE_MERGE_ERRORS 0x2
#define REPLACEFILE_IGNORE_ACL_ERRORS 0x4

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_ALREADY_EXISTS 183
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    DWORD nFileSizeLow;
    char cFileName[MAX_PATH];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, DWORD* done, void* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, DWORD* done, void* overlapped);
DWORD GetFileSize(HANDLE file, DWORD* high);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG high, DWORD method);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE handle);
BOOL DeleteFileA(LPCSTR name);
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
// Gives the replacement file the name of the replaced one in one rename, keeping the replaced
// file's permission bits; fails with ERROR_FILE_NOT_FOUND when there is no replaced file. The backup
// name and the reserved arguments are not supported (they must be null).
BOOL ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                  LPVOID reserved);
DWORD GetFileAttributesA(LPCSTR name);
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
BOOL SetCurrentDirectoryA(LPCSTR path);
// A file name whose last component starts with "." counts as hidden, as Wine shows such files;
// no entry is ever a system file. Wildcards are not supported: the name is looked up as given.
HANDLE FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE find);
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
DWORD GetLastError(void);
void SetLastError(DWORD error);
DWORD GetCurrentProcessId(void);
DWORD GetTickCount(void);

// Natively only: a hook that the file stand-ins call just before each change they would make to
// the file system or to a file's contents: CreateFileA when it may create or truncate,
// WriteFile, FlushFileBuffers, CloseHandle, DeleteFileA, MoveFileExA and ReplaceFileA, with the
// call's name and the file name (empty for a handle). True lets the call go on; false makes it fail
// with ERROR_ACCESS_DENIED without doing anything. Tests use it to look at the disk between the
// steps of a save, to end the process at a chosen step, or to make a step fail. Null: no hook.
typedef bool (*FileChangeHook)(const char* call, const char* name);
void SetFileChangeHook(FileChangeHook hook);

// Message boxes: natively there is no window, so each box is recorded (for the tests) and answered
// with IDOK. GetActiveWindow gives null.
typedef unsigned int UINT;
#define MB_OK 0x0
#define MB_ICONERROR 0x10
#define MB_ICONWARNING 0x30
#define MB_ICONINFORMATION 0x40
#define MB_SYSTEMMODAL 0x1000
#define MB_TASKMODAL 0x2000
#define IDOK 1
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
HWND GetActiveWindow(void);

typedef void* HCURSOR;
struct RecordedMessageBox {
    HWND owner;
    char text[1024];
    char caption[128];
    UINT style;
    HCURSOR cursor;  // the mouse cursor set when the box appeared
};
// Boxes shown since the last clear, oldest first; at most 64 are kept.
int RecordedMessageBoxCount(void);
const RecordedMessageBox* RecordedMessageBoxAt(int index);
void ClearRecordedMessageBoxes(void);

// Mouse cursors and letter case for the database layer. The cursor is only remembered: each recorded
// message box keeps the cursor that was set when it appeared.
#define IDC_ARROW ((LPCSTR)(intptr_t)32512)
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor(void);
// Lower-cases the text in place, by the letters of Windows-1250; returns it.
LPSTR CharLowerA(LPSTR text);

#endif  // _WIN32
