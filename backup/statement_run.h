// StatementRun: statements sent one after the other on a thread of their own, each read to its end,
// all on one statement handle, so that the window that started them keeps answering and can stop
// them. A server goes on with a backup, a verification or a restore only while its client reads
// its results, and one read may wait for as long as the server works. Window-free: the callbacks
// hear what happens, on the running thread; the starting thread reads the outcome after End.
#pragma once

#include "db/odbc_connection.h"

const int statementRunLimit = 4;       // statements in one run
const int statementRunErrorLimit = 8;  // message numbers kept of a failure

struct StatementRun {
    // Set by the caller before Start and left alone until End; the texts stay the caller's.
    OdbcConnection* connection;  // used by nothing else meanwhile
    const char* statements[statementRunLimit];
    int statementCount;
    const char* closing;  // or null: sent last once the first statement was, after a failure or a
                          // cancel too (a database put back to its normal state), and never cancelled
    void* context;                              // handed to the callbacks
    void (*onStage)(void* context, int stage);  // statement number stage is about to be sent
    OdbcMessageSink onMessage;                  // each informational message, or null
    void (*onEnd)(void* context);               // the thread's last act: End may be called now

    // The outcome, for the starting thread after End.
    int stage;         // the statement sent last: on a failure, the one that failed (statementCount
                       // for the closing one, which counts only when all before it succeeded)
    SQLRETURN result;  // what that statement ended with
    int rowResults;    // results of the whole run that brought a row
    int errorCount;
    long errors[statementRunErrorLimit];  // message numbers of the failing call, in order
    char failure[1024];                   // the failing call's first message; empty when it had none

    // Owned from Start to End.
    SQLHSTMT handle;
    HANDLE thread;  // null when no run is under way
    volatile LONG cancelled;
    volatile LONG cancelGate;  // 0 open, 2 a cancel passing, 1 closed for good: the closing statement runs

    // Clears the outcome, allocates the handle and starts the thread. False when either could not
    // be had: then nothing runs and nothing was sent.
    bool Start();
    // From the starting thread while the run is under way: asks the driver to stop the running
    // statement, and no later one is sent. A cancel that reaches the driver just before a statement
    // does is lost, so the caller repeats it until the run has ended; after the thread has ended it is
    // harmless, the handle being freed only by End.
    void Cancel();
    // Waits for the thread, which has ended or is about to, and frees the handle; the outcome stays.
    void End();
    bool Running() const { return thread != nullptr; }
    bool Cancelled() const;
    // Every statement ran to its end without an error, and no cancel was asked for.
    bool Succeeded() const;
};
