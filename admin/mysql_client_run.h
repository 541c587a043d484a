// MySqlClientRun: the MySQL client program restoring one dump, watched to its end. The client reads
// the dump from its standard input, which a thread of the run feeds from the file, so the share read
// so far is known; its output (the errors it reports) goes into a file of the run that is read when
// it has ended. The password reaches it only through an option file of the run, private to the user
// and named as a backup run's ("mysqldump-TAG.cnf" in the temporary folder), so that whatever a
// launcher that ended half-way left is removed like a backup's. Window-free: the callbacks hear what
// happens, on the run's thread; the starting thread reads the outcome after End.
#pragma once

#include "support/platform.h"

struct MySqlClientRun {
    // Set by the caller before Start; the texts stay the caller's until End.
    const char* program;           // the client's full path
    const char* dumpFile;
    const char* server;            // blank: the client's default host
    const char* user;
    const char* password;          // goes into the option file alone
    const char* database;
    const char* currentDirectory;  // the client's
    void* context;                                 // handed to the callbacks
    void (*onProgress)(void* context, int percent);  // the share of the dump fed so far, as it grows
    void (*onEnd)(void* context);                  // the thread's last act: End may be called now

    // The outcome, for the starting thread after End.
    DWORD exitCode;     // the client's status; anything but 0 is a failure
    char output[1024];  // what the client wrote, blanks and line ends at its end taken off

    // Owned from Start to End.
    HANDLE thread;  // null when no run is under way
    HANDLE process, dump, input, outputFile, optionFile;
    char optionPath[MAX_PATH], outputPath[MAX_PATH];
    long long size;
    volatile LONG cancelled;

    // Makes the option file and the output file, starts the client and the thread that feeds it.
    // False, with failure saying what could not be done and nothing left behind, when any of it fails.
    bool Start(char* failure, size_t failureCapacity);
    // From the starting thread while the run is under way: ends the client; the thread then ends too.
    void Cancel();
    // Waits for the thread and removes the run's files; the outcome stays.
    void End();
    bool Running() const { return thread != nullptr; }
    bool Cancelled() const;
    // The client ended by itself with status 0.
    bool Succeeded() const { return !Cancelled() && exitCode == 0; }
};
