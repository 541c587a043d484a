#include "backup/sql_server_backup_text.h"

#include <string.h>

bool FillStatement(char* target, size_t capacity, const char* pattern, const char* const* values, int valueCount)
{
    if (!target || capacity == 0) return false;
    size_t length = 0;
    int next = 0;
    auto put = [&](char c) {
        if (length + 1 >= capacity) return false;
        target[length++] = c;
        return true;
    };
    for (const char* p = pattern; *p; p++) {
        if (p[0] == '%' && p[1] == 's') {
            const char* value = next < valueCount && values[next] ? values[next] : "";
            next++;
            char doubled = p > pattern && p[-1] == '\'' ? '\'' : p > pattern && p[-1] == '[' ? ']' : '\0';
            for (const char* v = value; *v; v++) {
                if ((*v == doubled && !put(*v)) || !put(*v)) {
                    target[0] = '\0';
                    return false;
                }
            }
            p++;
        } else if (!put(*p)) {
            target[0] = '\0';
            return false;
        }
    }
    target[length] = '\0';
    return true;
}

bool BuildBackupStatement(char* target, size_t capacity, const char* database, const char* file, const char* backupName)
{
    const char* values[] = {database, file, backupName};
    return FillStatement(target, capacity,
                         "BACKUP DATABASE [%s] TO DISK = '%s' WITH NOFORMAT, INIT, NAME = '%s', NOREWIND, NOUNLOAD, NOSKIP, "
                         "CHECKSUM, STATS = 10",
                         values, 3);
}

bool BuildUnattendedBackupStatement(char* target, size_t capacity, const char* database, const char* file,
                                    const char* backupName)
{
    const char* values[] = {database, file, backupName};
    return FillStatement(target, capacity, "BACKUP DATABASE [%s] TO DISK = '%s' WITH CHECKSUM, INIT, NAME = '%s', STATS = 10",
                         values, 3);
}

bool BuildBackupHeaderQuery(char* target, size_t capacity, const char* file)
{
    return FillStatement(target, capacity, "RESTORE HEADERONLY FROM DISK = '%s'", &file, 1);
}

bool BuildBackupVerification(char* target, size_t capacity, const char* file)
{
    return FillStatement(target, capacity, "RESTORE VERIFYONLY FROM DISK = '%s' WITH CHECKSUM", &file, 1);
}

BackupFileState ClassifyBackupFile(bool succeeded, int rowResults, const long* errors, int errorCount)
{
    if (succeeded) return rowResults > 0 ? BackupFileState::HoldsBackup : BackupFileState::HoldsNoBackup;
    for (int i = 0; i < errorCount; i++) {
        if (errors[i] == backupDeviceUnavailable) return BackupFileState::Missing;
        if (errors[i] == backupMediaMalformed) return BackupFileState::HoldsNoBackup;
    }
    return BackupFileState::Unknown;
}

bool BuildBackupFileName(char* target, size_t capacity, const char* directory, const char* database, const char* isoDate)
{
    const char* values[] = {directory, database, isoDate};
    return FillStatement(target, capacity, "%s\\%s-%s.mssql-server", values, 3);
}

int BackupPercent(long nativeError, const char* text)
{
    if (nativeError != backupProgressMessage || !text) return -1;
    // The drivers put their names in brackets before the server's text: "[FreeTDS][SQL Server]10 ...".
    const char* bracket = strrchr(text, ']');
    if (bracket) text = bracket + 1;
    while (*text == ' ') text++;
    if (*text < '0' || *text > '9') return -1;
    int percent = 0;
    for (; *text >= '0' && *text <= '9' && percent <= 100; text++) percent = percent * 10 + (*text - '0');
    return percent <= 100 ? percent : -1;
}
