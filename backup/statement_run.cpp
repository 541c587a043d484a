#include "backup/statement_run.h"

#include "db/odbc_api.h"
#include "support/bounded_text.h"

namespace {

// Keeps the failing call's messages: every number, the first text.
void KeepFailure(void* context, SQLINTEGER nativeError, const char* text)
{
    auto* run = static_cast<StatementRun*>(context);
    if (run->errorCount == 0) CopyText(run->failure, text);
    if (run->errorCount < statementRunErrorLimit) run->errors[run->errorCount++] = nativeError;
}

DWORD WINAPI RunStatements(LPVOID parameter)
{
    auto* run = static_cast<StatementRun*>(parameter);
    bool sent = false;
    for (int next = 0; next < run->statementCount && !run->Cancelled(); next++) {
        run->stage = next;
        if (run->onStage) run->onStage(run->context, next);
        sent = true;
        run->result = run->connection->RunToEnd(run->handle, run->statements[next], run->onMessage, run->context,
                                                &run->rowResults);
        if (!SQL_SUCCEEDED(run->result)) {
            run->connection->ReadDiagnostics(run->handle, KeepFailure, run);
            break;
        }
    }
    if (run->closing && sent) {
        // Once the gate is closed no cancel reaches the driver, and one that did before is spent by
        // the time the closing statement is sent.
        while (InterlockedCompareExchange(&run->cancelGate, 1, 0) != 0) Sleep(1);
        odbcApi.SQLFreeStmt(run->handle, SQL_CLOSE);  // what a failed statement left unread
        bool before = SQL_SUCCEEDED(run->result);
        SQLRETURN result = run->connection->RunToEnd(run->handle, run->closing, nullptr, nullptr, nullptr);
        if (before && !SQL_SUCCEEDED(result)) {
            run->stage = run->statementCount;
            run->result = result;
            run->connection->ReadDiagnostics(run->handle, KeepFailure, run);
        }
    }
    if (run->onEnd) run->onEnd(run->context);
    return 0;
}

}  // namespace

bool StatementRun::Start()
{
    stage = 0;
    result = SQL_SUCCESS;
    rowResults = 0;
    errorCount = 0;
    failure[0] = '\0';
    cancelled = 0;
    cancelGate = 0;
    thread = nullptr;
    if (!SQL_SUCCEEDED(connection->AllocateStatement(&handle))) return false;
    // Everything the thread reads is written before it starts.
    thread = CreateThread(nullptr, 0, RunStatements, this, 0, nullptr);
    if (thread) return true;
    connection->EndStatement(handle, SQL_SUCCESS, nullptr);
    handle = SQL_NULL_HSTMT;
    return false;
}

void StatementRun::Cancel()
{
    if (!thread) return;
    InterlockedExchange(&cancelled, 1);
    if (InterlockedCompareExchange(&cancelGate, 2, 0) != 0) return;  // the closing statement runs
    connection->Cancel(handle);
    InterlockedExchange(&cancelGate, 0);
}

bool StatementRun::Cancelled() const
{
    return InterlockedCompareExchange(const_cast<volatile LONG*>(&cancelled), 0, 0) != 0;
}

void StatementRun::End()
{
    if (!thread) return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
    connection->EndStatement(handle, SQL_SUCCESS, nullptr);  // frees it; a failure is in the outcome
    handle = SQL_NULL_HSTMT;
}

bool StatementRun::Succeeded() const { return !Cancelled() && SQL_SUCCEEDED(result); }
