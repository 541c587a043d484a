#include "admin/mysql_client_run.h"

#include "admin/restore_text.h"
#include "backup/mysql_backup_files.h"
#include "backup/mysql_program.h"
#include "support/bounded_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

namespace {

void CloseIfOpen(HANDLE& handle)
{
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

const char* const cannotReadText = "A(z) '%s' fájl nem olvasható, a visszaállítás nem indult el.";
const char* const cannotCreateText = "A(z) '%s' fájl nem hozható létre, a visszaállítás nem indult el.";
const char* const cannotStartText = "A program ('%s') nem indítható, a visszaállítás nem indult el.";

// Reads the end of what the client wrote (a client may echo a whole failing statement, however long,
// before its error line), from its last line that starts with "ERROR" when there is one.
void ReadOutput(MySqlClientRun* run)
{
    char* text = run->output;
    const DWORD room = sizeof run->output - 1;
    LARGE_INTEGER size = {}, from = {};
    DWORD got = 0;
    from.QuadPart = GetFileSizeEx(run->outputFile, &size) && size.QuadPart > room ? size.QuadPart - room : 0;
    if (!SetFilePointerEx(run->outputFile, from, nullptr, FILE_BEGIN) || !ReadFile(run->outputFile, text, room, &got, nullptr))
        got = 0;
    while (got > 0 && strchr(" \t\r\n", text[got - 1])) got--;
    text[got] = '\0';
    for (DWORD at = got; at-- > 0;) {
        if ((at == 0 || text[at - 1] == '\n') && strncmp(text + at, "ERROR", 5) == 0) {
            memmove(text, text + at, got - at + 1);
            break;
        }
    }
}

DWORD WINAPI Feed(LPVOID parameter)
{
    auto* run = static_cast<MySqlClientRun*>(parameter);
    const DWORD chunk = 65536;
    char* buffer = static_cast<char*>(malloc(chunk));
    long long fed = 0;
    int shown = -1;
    DWORD got = 0, written = 0;
    // A write fails once the client has ended (it stopped at an error, or was ended).
    while (buffer && !run->Cancelled() && ReadFile(run->dump, buffer, chunk, &got, nullptr) && got > 0 &&
           WriteFile(run->input, buffer, got, &written, nullptr) && written == got) {
        fed += got;
        int percent = run->size > 0 ? static_cast<int>(fed * 100 / run->size) : 100;
        if (percent != shown && run->onProgress) run->onProgress(run->context, shown = percent);
    }
    free(buffer);
    CloseIfOpen(run->input);  // the end of its input: the client finishes
    WaitForSingleObject(run->process, INFINITE);
    if (!GetExitCodeProcess(run->process, &run->exitCode)) run->exitCode = 1;
    ReadOutput(run);
    if (run->onEnd) run->onEnd(run->context);
    return 0;
}

// Starts the client with the pipe's reading end as its input and the output file as its output and
// error output, handing it these two handles and no other.
bool StartClient(MySqlClientRun* run, char* commandLine, HANDLE input)
{
    return StartProgram({run->program, commandLine, run->currentDirectory, CREATE_NO_WINDOW, input, run->outputFile,
                         run->outputFile, nullptr, SW_HIDE},
                        &run->process);
}

}  // namespace

bool MySqlClientRun::Start(char* failure, size_t failureCapacity)
{
    thread = nullptr;
    process = nullptr;
    dump = input = outputFile = optionFile = INVALID_HANDLE_VALUE;
    optionPath[0] = outputPath[0] = '\0';
    exitCode = 1;
    output[0] = '\0';
    cancelled = 0;
    CopyText(failure, failureCapacity, "");
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    LARGE_INTEGER length = {};
    dump = CreateFileA(dumpFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (dump == INVALID_HANDLE_VALUE || !GetFileSizeEx(dump, &length)) {
        snprintf(failure, failureCapacity, cannotReadText, dumpFile);
        End();
        return false;
    }
    size = length.QuadPart;
    char folder[MAX_PATH];
    DWORD folderLength = GetTempPathA(sizeof folder, folder);
    for (int attempt = 0; folderLength > 0 && folderLength < sizeof folder && attempt < 100; attempt++) {
        char tag[64];
        NewMySqlRunTag(tag, sizeof tag);
        if (!BuildMySqlRunFileName(folder, tag, mysqlRunOptionExtension, optionPath, sizeof optionPath) ||
            !BuildMySqlRunFileName(folder, tag, ".out", outputPath, sizeof outputPath))
            break;
        if (GetFileAttributesA(optionPath) != INVALID_FILE_ATTRIBUTES) continue;  // an earlier run's
        optionFile = CreateHeldMySqlOptionFile(optionPath, password);
        break;
    }
    if (optionFile == INVALID_HANDLE_VALUE) {
        snprintf(failure, failureCapacity, cannotCreateText, optionPath[0] ? optionPath : folder);
        optionPath[0] = outputPath[0] = '\0';  // none of this run's
        End();
        return false;
    }
    // Deleted when the last handle to it goes, the client's included.
    outputFile = CreateFileA(outputPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             &inheritable, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE reading = INVALID_HANDLE_VALUE;
    char commandLine[4 * MAX_PATH + 1024];
    bool ready = outputFile != INVALID_HANDLE_VALUE && CreatePipe(&reading, &input, &inheritable, 65536) &&
                 SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
    if (!ready) {
        snprintf(failure, failureCapacity, cannotCreateText, outputPath);
        if (outputFile == INVALID_HANDLE_VALUE) outputPath[0] = '\0';  // another's, if anyone's
    } else if (!BuildMySqlClientCommandLine(program, optionPath, server, user, database, commandLine, sizeof commandLine)) {
        CopyText(failure, failureCapacity, "A paraméterek kitöltése hiányos!");
        ready = false;
    } else if (!StartClient(this, commandLine, reading)) {
        snprintf(failure, failureCapacity, cannotStartText, program);
        ready = false;
    }
    CloseIfOpen(reading);  // the client's end, which it holds now
    // Everything the thread reads is written before it starts.
    if (ready && !(thread = CreateThread(nullptr, 0, Feed, this, 0, nullptr))) {
        TerminateProcess(process, 1);
        snprintf(failure, failureCapacity, cannotStartText, program);
        ready = false;
    }
    if (!ready) End();
    return ready;
}

void MySqlClientRun::Cancel()
{
    if (!thread) return;
    InterlockedExchange(&cancelled, 1);
    TerminateProcess(process, 1);
}

bool MySqlClientRun::Cancelled() const
{
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&cancelled), 0, 0) != 0;
}

void MySqlClientRun::End()
{
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    } else if (process) {
        WaitForSingleObject(process, INFINITE);  // ended from Start
    }
    if (process) CloseHandle(process);
    process = nullptr;
    for (HANDLE* handle : {&dump, &input, &outputFile, &optionFile}) CloseIfOpen(*handle);
    // The output file goes with its last handle; where the platform defers that, it goes now.
    for (char* path : {optionPath, outputPath}) {
        if (path[0]) DeleteFileA(path);
        path[0] = '\0';
    }
}
