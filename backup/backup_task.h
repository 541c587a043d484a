// The backups' daily tasks in the Task Scheduler folder \Marvitelkon, through the Task Scheduler's
// COM interface (ITaskService). Each call initialises COM on its thread for its own use. No window
// involved; HRESULTs are the Task Scheduler's.
#pragma once

#include "support/platform.h"

#include <stddef.h>

// Registers the task name of \Marvitelkon from its XML (BuildBackupTaskXml), replacing a task of that
// name, to run as user by S4U (no stored password); the folder is made when it is missing.
HRESULT RegisterBackupTask(const char* name, const char* xml, const char* user);

// The XML of the registered task name: S_OK with it in xml, or the failure
// (HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) or that of the path when there is no such task).
HRESULT ReadBackupTask(const char* name, char* xml, size_t capacity);

// Removes the task name; S_OK when it is gone.
HRESULT DeleteBackupTask(const char* name);

// True when the failure of ReadBackupTask or DeleteBackupTask says there is no such task or folder.
bool IsMissingTask(HRESULT result);

// The account the current user's tasks run as, DOMAIN\user. False when it cannot be told.
bool CurrentTaskUser(char* target, size_t capacity);
