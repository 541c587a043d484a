// mvbackup: one backup of one database, unattended, for a scheduled task.
//
//   mvbackup mysql DATABASE --to FOLDER [--server HOST] [--keep N] [--config FILE]
//   mvbackup mssql DATABASE --to FOLDER [--keep N] [--config FILE]
//   mvbackup --version
//
// The server credentials come from the configuration document (Marvitelkon.ini in the current folder,
// or --config), read as the launcher reads it. MySQL: mysqldump.exe is started directly into
// FOLDER\DATABASE-YYYYMMDD-HHMMSS.sql.part, which becomes the .sql only when the dump ended with 0 and
// its completion line. SQL Server: BACKUP DATABASE ... WITH CHECKSUM into the .bak, read to its end,
// then RESTORE VERIFYONLY ... WITH CHECKSUM. --keep N then deletes the database's oldest dated copies
// beyond the newest N, and only after such a verified success. Each run appends one line to the
// machine's backup log. Exit status: 0 made and verified, 1 failed, 2 a usage, document or credential
// error found before anything was backed up.
#include "backup/backup_log.h"
#include "backup/mysql_backup_files.h"
#include "backup/mysql_backup_line.h"
#include "backup/mysql_program.h"
#include "backup/sql_server_backup_text.h"
#include "backup/statement_run.h"
#include "backup/unattended_backup_text.h"
#include "config/config_document.h"
#include "config/scrambled_file.h"
#include "db/odbc_api.h"
#include "db/odbc_connection.h"
#include "support/bounded_text.h"

#include "mv_version.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

const int usageError = 2;
const int backupFailed = 1;

// One line on the console, in its code page (the program's texts are Windows-1250).
void Say(const char* text, bool error = false)
{
    UINT codePage = GetConsoleOutputCP();
    std::wstring wide(strlen(text) + 1, L'\0');
    int count = MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], static_cast<int>(wide.size()));
    std::string bytes(wide.size() * 4 + 2, '\0');
    int size = count > 0 ? WideCharToMultiByte(codePage ? codePage : CP_OEMCP, 0, wide.c_str(), -1, &bytes[0],
                                               static_cast<int>(bytes.size()), nullptr, nullptr)
                         : 0;
    bytes.resize(size > 0 ? size - 1 : 0);
    bytes += "\r\n";
    HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE) WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string Quoted(const char* text) { return std::string("'") + text + "'"; }

// folder "\" name, with one backslash between them.
std::string InFolder(const char* folder, const std::string& name)
{
    size_t length = strlen(folder);
    return std::string(folder) + (length && folder[length - 1] == '\\' ? "" : "\\") + name;
}

bool IsFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The size of a file in bytes as text; empty when it cannot be seen.
std::string SizeOf(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return "";
    return std::to_string((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// Everything one run knows; the log line is made from it at the end.
struct Run {
    BackupCommand command = {};
    char user[101] = "", password[101] = "", dataSource[101] = "";
    char file[MAX_PATH] = "";  // the backup file being made
    std::string size;
    std::string odbcMessage;  // the last message of the database layer
};

// Ends the run: one line to the log, the last line to the console, the status.
int Finish(Run& run, int status, const std::string& message)
{
    BackupLogEntry entry = {};
    SYSTEMTIME now;
    GetLocalTime(&now);
    snprintf(entry.time, sizeof entry.time, "%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    if (run.command.database[0]) CopyText(entry.kind, BackupKindName(run.command.kind));
    CopyText(entry.database, run.command.database);
    CopyText(entry.file, run.file);
    CopyText(entry.size, run.size.c_str());
    entry.ok = status == 0;
    CopyText(entry.message, message.c_str());
    char line[1536];
    size_t length = FormatBackupLogLine(entry, line, sizeof line);
    char log[MAX_PATH] = "";
    if (!length || !AppendBackupLog(line, length)) {
        BackupLogPath(log, sizeof log);
        Say(("A mentési napló (" + Quoted(log) + ") nem írható.").c_str(), true);
    }
    Say((status == 0 ? message : (status == usageError ? "Hiba: " : "A mentés sikertelen: ") + message).c_str());
    return status;
}

// Reads the document's credentials of the run's server. False with the message of the problem.
bool ReadCredentials(Run& run, std::string* problem)
{
    const char* path = run.command.config[0] ? run.command.config : configFileName;
    size_t size = 0;
    bool opened = false;
    char* document = LoadScrambledFile(path, configurationKey, &size, &opened);
    if (!document) {
        *problem = "A konfiguráció (" + Quoted(path) + (opened ? ") nem olvasható." : ") nem található vagy nem olvasható.");
        return false;
    }
    bool mysql = run.command.kind == BackupKind::MySql;
    const char* tags[] = {mysql ? "MYSQL_DSN" : "MSSQL_DSN", mysql ? "MYSQL_ROOT" : "MSSQL_ROOT",
                          mysql ? "MYSQL_PWD" : "MSSQL_PWD"};
    ExtractTagInto<100>(document, tags[0], run.dataSource);
    ExtractTagInto<100>(document, tags[1], run.user);
    ExtractTagInto<100>(document, tags[2], run.password);
    SecureZeroMemory(document, size);
    free(document);
    // The dump needs no data source; a SQL Server backup is sent through it.
    std::string missing;
    if (!mysql && !run.dataSource[0]) missing += std::string(missing.empty() ? "" : ", ") + tags[0];
    if (!run.user[0]) missing += std::string(missing.empty() ? "" : ", ") + tags[1];
    if (!run.password[0]) missing += std::string(missing.empty() ? "" : ", ") + tags[2];
    if (missing.empty()) return true;
    *problem = "A konfiguráció (" + Quoted(path) + ") nem ad meg " + missing + " értéket.";
    return false;
}

// Names the run's file FOLDER\DATABASE-STAMP EXTENSION by the local time, one no file has yet (nor
// its ".part" when part is given, which is then made, empty, to hold the name). False when none can be had.
bool ChooseFile(Run& run, const char* extension, bool makePart, bool canSee)
{
    for (int attempt = 0; attempt < 3; attempt++) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        char stamp[32];
        FormatBackupStamp(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, stamp, sizeof stamp);
        if (!BuildDatedBackupPath(run.command.folder, run.command.database, stamp, extension, run.file, sizeof run.file))
            return false;
        std::string part = std::string(run.file) + ".part";
        bool taken = canSee && GetFileAttributesA(run.file) != INVALID_FILE_ATTRIBUTES;
        if (!taken && makePart) {
            HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) return CloseHandle(file), true;
            taken = GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS;
            if (!taken) return false;
        }
        if (!taken) return true;
        // A run of this database in the same second: the next second gives another name.
        Sleep(1000 - now.wMilliseconds + 10);
    }
    return false;
}

// Deletes the database's dated copies beyond the newest keep in the run's folder; what it did, for
// the last line.
std::string KeepCopies(Run& run, const char* extension)
{
    if (run.command.keep < 1) return "";
    std::vector<std::string> names;
    std::string pattern = InFolder(run.command.folder, "*");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    const char* made = strrchr(run.file, '\\');
    int deleted = 0;
    std::string kept;
    for (const std::string& name : CopiesBeyond(names, run.command.database, extension, run.command.keep, made ? made + 1 : run.file)) {
        std::string file = InFolder(run.command.folder, name);
        Say(("Régi példány törlése: " + file).c_str());
        if (DeleteFileA(file.c_str())) deleted++;
        else kept += " " + Quoted(file.c_str());
    }
    std::string text = " Törölt régi példányok: " + std::to_string(deleted) + ".";
    if (!kept.empty()) text += " Nem törölhető:" + kept + ".";
    return text;
}

// The dump's progress: the bytes written so far, when they changed.
struct DumpProgress {
    std::string part;
    std::string shown;
};
void ShowDumpProgress(void* context)
{
    auto* progress = static_cast<DumpProgress*>(context);
    std::string size = SizeOf(progress->part.c_str());
    if (size.empty() || size == progress->shown) return;
    progress->shown = size;
    Say(("Mentés: " + size + " bájt").c_str());
}

// The last line of what the dump program wrote to its error output (on handle, from its start), which
// goes to this program's error output too.
std::string DumpErrors(HANDLE errors)
{
    char text[4096];
    DWORD read = 0;
    SetFilePointer(errors, 0, nullptr, FILE_BEGIN);
    if (!ReadFile(errors, text, sizeof text - 1, &read, nullptr)) read = 0;
    text[read] = '\0';
    DWORD written = 0;
    HANDLE out = GetStdHandle(STD_ERROR_HANDLE);
    if (read && out && out != INVALID_HANDLE_VALUE) WriteFile(out, text, read, &written, nullptr);
    size_t end = read;
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' ')) end--;
    size_t start = end;
    while (start > 0 && text[start - 1] != '\n') start--;
    return std::string(text + start, end - start);
}

// The run's files in the user's temporary folder: the option file, held open (undeletable) until the
// dump has ended, and the dump's error output, which goes when its handles do.
struct DumpFiles {
    char options[MAX_PATH] = "";
    HANDLE optionsHandle = INVALID_HANDLE_VALUE;
    HANDLE errors = INVALID_HANDLE_VALUE;
    HANDLE nothing = INVALID_HANDLE_VALUE;

    bool Make(const char* password)
    {
        char folder[MAX_PATH];
        DWORD length = GetTempPathA(sizeof folder, folder);
        if (length == 0 || length >= sizeof folder) return false;
        // What runs that ended half-way left: a file still held belongs to a run under way.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((std::string(folder) + "mvbackup-*.cnf").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileA((std::string(folder) + found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        static unsigned counter = 0;
        snprintf(options, sizeof options, "%smvbackup-%lu-%lu-%u.cnf", folder, GetCurrentProcessId(), GetTickCount(), ++counter);
        // Held for reading only, so the dump program opens it whatever sharing it asks for.
        optionsHandle = CreateHeldMySqlOptionFile(options, password);
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        std::string errorsPath = std::string(options) + ".err";
        errors = CreateFileA(errorsPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, nullptr);
        return optionsHandle != INVALID_HANDLE_VALUE && errors != INVALID_HANDLE_VALUE && nothing != INVALID_HANDLE_VALUE;
    }
    ~DumpFiles()
    {
        if (optionsHandle != INVALID_HANDLE_VALUE) CloseHandle(optionsHandle), DeleteFileA(options);
        for (HANDLE handle : {errors, nothing})
            if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

// The exit status as the dump program's failure shows it: negative ones (a crash, a missing DLL) in hex.
std::string StatusText(DWORD status)
{
    char text[32];
    snprintf(text, sizeof text, status > 0x7FFFFFFFu ? "0x%08lX" : "%lu", static_cast<unsigned long>(status));
    return text;
}

int BackupMySql(Run& run)
{
    if (!IsFolder(run.command.folder))
        return Finish(run, backupFailed, "a mappa (" + Quoted(run.command.folder) + ") nem érhető el.");
    char program[MAX_PATH];
    if (!FindMySqlProgram("mysqldump.exe", program, sizeof program))
        return Finish(run, backupFailed,
                      "a mysqldump.exe nem található (sem a mvbackup.exe mellett, sem az aktuális mappában, sem a keresési úton).");
    if (!ChooseFile(run, ".sql", true, true))
        return Finish(run, backupFailed, "a mentés fájlja nem hozható létre a mappában (" + Quoted(run.command.folder) + ").");
    std::string part = std::string(run.file) + ".part";
    DumpFiles files;
    if (!files.Make(run.password)) {
        DeleteFileA(part.c_str());
        return Finish(run, backupFailed, "a mentés ideiglenes fájljai nem hozhatók létre.");
    }
    // The password is in the option file only, never on this line.
    std::string options = std::string("--defaults-extra-file=") + files.options, result = "--result-file=" + part;
    char line[4096] = "";
    bool built = AppendCommandLineArgument(line, sizeof line, program) &&
                 AppendCommandLineArgument(line, sizeof line, options.c_str());
    if (run.command.server[0])
        built = built && AppendCommandLineArgument(line, sizeof line, "-h") &&
                AppendCommandLineArgument(line, sizeof line, run.command.server);
    for (const char* argument : {"-u", static_cast<const char*>(run.user), "--routines", "--events", result.c_str(),
                                 static_cast<const char*>(run.command.database)})
        built = built && AppendCommandLineArgument(line, sizeof line, argument);
    Say(("Mentés: " + Quoted(run.command.database) + " -> " + run.file).c_str());
    DumpProgress progress = {part, ""};
    DWORD status = 0;
    bool ran = built && RunMySqlProgram(program, line, files.nothing, files.nothing, files.errors, 1000, ShowDumpProgress,
                                        &progress, &status);
    DWORD startFailure = GetLastError();
    std::string errors = DumpErrors(files.errors);
    std::string failure;
    if (!built) failure = "a mentőprogram parancssora túl hosszú.";
    else if (!ran) failure = "a mentőprogram (" + Quoted(program) + ") nem indítható (" + std::to_string(startFailure) + ").";
    else if (status != 0) failure = "a mentőprogram hibával állt le (" + StatusText(status) + ")" + (errors.empty() ? "." : ": " + errors);
    if (failure.empty()) {
        // Complete only with the dump program's own last line.
        char tail[512];
        DWORD read = 0;
        HANDLE dump = CreateFileA(part.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (dump != INVALID_HANDLE_VALUE) {
            LARGE_INTEGER size = {}, from = {};
            if (GetFileSizeEx(dump, &size)) from.QuadPart = size.QuadPart > (LONGLONG)sizeof tail ? size.QuadPart - sizeof tail : 0;
            if (!SetFilePointerEx(dump, from, nullptr, FILE_BEGIN) || !ReadFile(dump, tail, sizeof tail, &read, nullptr)) read = 0;
            CloseHandle(dump);
        }
        if (!IsCompleteMySqlDump(tail, read)) failure = "a mentés hiányos: nem a mentőprogram befejező sorával végződik.";
        else if (!MoveFileExA(part.c_str(), run.file, 0))
            failure = "a kész mentés nem nevezhető át (" + Quoted(run.file) + ").";
    }
    if (!failure.empty()) {
        DeleteFileA(part.c_str());  // this run's own unfinished file; no copy is touched
        return Finish(run, backupFailed, failure);
    }
    run.size = SizeOf(run.file);
    std::string kept = KeepCopies(run, ".sql");
    return Finish(run, 0, "Kész: a(z) " + Quoted(run.command.database) + " adatbázis mentése elkészült: " + Quoted(run.file) +
                              " (" + run.size + " bájt)." + kept);
}

void KeepOdbcMessage(void* context, SQLINTEGER, const char* text) { static_cast<Run*>(context)->odbcMessage = text; }

// The SQL Server's percentages and stages as they come.
void ShowBackupMessage(void* context, SQLINTEGER nativeError, const char* text)
{
    int percent = BackupPercent(nativeError, text);
    if (percent >= 0) Say(("Mentés: " + std::to_string(percent) + "%").c_str());
}
void ShowBackupStage(void* context, int stage)
{
    if (stage == 1) Say("A mentés ellenőrzése...");
}

// Runs the statements to their end on connection; true when every one succeeded. The failing one's
// first message goes to failure.
bool RunStatements(OdbcConnection* connection, std::initializer_list<const char*> statements, StatementRun* run,
                   bool progress)
{
    *run = StatementRun();
    run->connection = connection;
    for (const char* statement : statements) run->statements[run->statementCount++] = statement;
    run->onStage = progress ? ShowBackupStage : nullptr;
    run->onMessage = progress ? ShowBackupMessage : nullptr;
    if (!run->Start()) return false;
    run->End();
    return run->Succeeded();
}

// Whether the server sees the run's folder under the same path as this machine: a file put there
// here must be one the server can open (and finds to hold no backup).
bool ServerSeesFolder(Run& run, OdbcConnection* connection)
{
    char name[64];
    snprintf(name, sizeof name, "mvbackup-check-%lu-%lu.tmp", GetCurrentProcessId(), GetTickCount());
    std::string path = InFolder(run.command.folder, name);
    const char* marker = path.c_str();
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, "mvbackup\r\n", 10, &written, nullptr);
    CloseHandle(file);
    char check[1024];
    StatementRun probe;
    ok = ok && BuildBackupHeaderQuery(check, sizeof check, marker);
    if (ok) {
        RunStatements(connection, {check}, &probe, false);
        ok = ClassifyBackupFile(probe.Succeeded(), probe.rowResults, probe.errors, probe.errorCount) ==
             BackupFileState::HoldsNoBackup;
    }
    DeleteFileA(marker);
    return ok;
}

int BackupSqlServer(Run& run)
{
    if (!LoadOdbcApi()) return Finish(run, backupFailed, "az ODBC illesztőprogram-kezelő nem tölthető be.");
    RedirectOdbcMessages(KeepOdbcMessage, &run);
    OdbcConnection connection;
    connection.Init(run.dataSource, run.user, run.password, 0);
    SQLRETURN opened = connection.Open(run.user, run.password);
    SecureZeroMemory(run.password, sizeof run.password);
    int status = 0;
    std::string message;
    bool canSee = IsFolder(run.command.folder);
    if (!SQL_SUCCEEDED(opened)) {
        status = backupFailed;
        message = "a kapcsolódás sikertelen (" + Quoted(run.dataSource) + "): " + run.odbcMessage;
    } else if (run.command.keep > 0 && (!canSee || !ServerSeesFolder(run, &connection))) {
        // Copies can be counted and deleted only where this machine sees what the server wrote.
        status = usageError;
        message = "A '--keep' csak olyan mappával használható, amelyet ez a gép ugyanazon az úton ér el, mint a szerver "
                  "(" + Quoted(run.command.folder) + "); a mentés nem indult el.";
    } else if (!ChooseFile(run, ".bak", false, canSee)) {
        status = backupFailed;
        message = "a mentés fájlneve túl hosszú.";
    } else {
        char statement[1024], verification[1024];
        StatementRun backup;
        Say(("Mentés: " + Quoted(run.command.database) + " -> " + run.file).c_str());
        if (!BuildUnattendedBackupStatement(statement, sizeof statement, run.command.database, run.file, run.command.database) ||
            !BuildBackupVerification(verification, sizeof verification, run.file)) {
            status = backupFailed;
            message = "a mentés utasítása túl hosszú.";
        } else if (!RunStatements(&connection, {statement, verification}, &backup, true)) {
            status = backupFailed;
            message = std::string(backup.stage == 0 ? "a szerver nem készítette el a mentést" : "a mentés ellenőrzése sikertelen") +
                      (backup.failure[0] ? ": " + std::string(backup.failure) : ".");
            // A file that failed its verification is no copy to keep: it must not push out a good one.
            std::string failed = std::string(run.file) + ".hibas";
            if (backup.stage == 1 && canSee && MoveFileExA(run.file, failed.c_str(), 0)) {
                CopyText(run.file, failed.c_str());
                message += " A fájl új neve: " + Quoted(run.file) + ".";
            }
        } else {
            run.size = canSee ? SizeOf(run.file) : "";
            message = "Kész: a(z) " + Quoted(run.command.database) + " adatbázis mentése elkészült és ellenőrizve: " +
                      Quoted(run.file) + (run.size.empty() ? "." : " (" + run.size + " bájt).") + KeepCopies(run, ".bak");
        }
    }
    connection.Destroy(2);
    RedirectOdbcMessages(nullptr, nullptr);
    return Finish(run, status, message);
}

}  // namespace

int main(int argc, char** argv)
{
    Run run;
    char error[512];
    if (!ParseBackupCommand(argc - 1, argv + 1, &run.command, error, sizeof error)) {
        // What was understood of the command still goes into the log line.
        if (argc > 2 && IsBackupDatabaseName(argv[2]) && (!strcmp(argv[1], "mysql") || !strcmp(argv[1], "mssql"))) {
            run.command.kind = !strcmp(argv[1], "mysql") ? BackupKind::MySql : BackupKind::SqlServer;
            CopyText(run.command.database, argv[2]);
        }
        return Finish(run, usageError, error);
    }
    if (run.command.version) {
        printf("mvbackup (Marvitelkon) %s\n%s\n", MV_VERSION_TEXT, MV_COPYRIGHT);
        return 0;
    }
    std::string problem;
    if (!ReadCredentials(run, &problem)) return Finish(run, usageError, problem);
    return run.command.kind == BackupKind::MySql ? BackupMySql(run) : BackupSqlServer(run);
}
