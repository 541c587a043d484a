// The daily scheduled task of a backup as Task Scheduler XML, built and read without any window:
// the task that runs mvbackup.exe for one database every day.
#pragma once

#include "backup/unattended_backup_text.h"

#include <stddef.h>

// What a backup dialog schedules.
struct BackupSchedule {
    BackupKind kind;
    const char* database;
    const char* server;  // MySQL: passed as --server unless blank
    const char* folder;
    int keep;
    const char* time;    // "HH:MM"
};

// Where the task runs and as whom.
struct BackupTaskPlace {
    const char* program;           // mvbackup.exe by its full path
    const char* workingDirectory;  // the start folder, which holds Marvitelkon.ini
    const char* user;              // DOMAIN\user, the account the task runs as
    const char* date;              // "YYYY-MM-DD": the first day, today
};

// The Task Scheduler folder of the backups' tasks.
extern const char* const backupTaskFolder;  // "\Marvitelkon"

// "MySQL - DATABASE" or "SQL Server - DATABASE". False (target empty) when it does not fit.
bool BuildBackupTaskName(BackupKind kind, const char* database, char* target, size_t capacity);

// True for a time of day as "HH:MM", 00:00 to 23:59, two digits each.
bool IsTimeOfDay(const char* text);

// The task's XML (declared UTF-16, as the registration takes it once converted): a calendar trigger
// every day from place.date at the schedule's time; the principal place.user with logon type S4U
// (whether logged on or not, no stored password) and the least privileges; started as soon as
// possible after a missed start, not stopped on batteries, never two runs at once; one Exec action
// running place.program with BuildBackupArguments in place.workingDirectory. Every value is escaped
// for XML (& < > " '). False (target empty) when it does not fit, the time is not a time of day, the
// database is unusable (IsBackupDatabaseName), keep is below 1, or a value holds a control
// character.
bool BuildBackupTaskXml(const BackupSchedule& schedule, const BackupTaskPlace& place, char* target, size_t capacity);

// What a registered task's XML says of its schedule: the time of day of its trigger's start ("HH:MM")
// and its action's arguments, XML escapes read back; each empty when the XML holds none.
void ReadBackupTaskXml(const char* xml, char* time, size_t timeCapacity, char* arguments, size_t argumentsCapacity);
