// The Session: who is logged in, and everything the later windows need from the document.
#pragma once

#include "config/config_document.h"

struct Session {
    char userId[10];      // as typed, up to 9 characters; set by every attempt
    char userName[101];
    char password[10];    // as typed, up to 9 characters; set by every attempt
    bool isAdmin;         // USERADMIN exactly "YES"
    char permittedPrograms[1025];
    char header[1025];
    char mysqlDataSource[101];
    char mysqlUser[101];
    char mysqlPassword[101];
    char sqlServerDataSource[101];
    char sqlServerUser[101];
    char sqlServerPassword[101];
    ProgramEntry* programs;  // the program table (BuildProgramTable), created once by the successful login
    int programCount;
};

extern Session session;

// Looks for the first whole USER record of document whose USERID and USERPWD, read inside that
// record, equal userId and password byte for byte. A record whose ID is missing, empty or over 16
// characters, or whose password is missing or over 16 characters, never matches. On a match fills the descriptive fields, the server credentials and the program
// table of target (userId and password are not touched; a table target already had is freed) and
// returns true. No match, or no memory for the program table, leaves target as it was.
bool MatchLoginUser(const char* document, const char* userId, const char* password, Session* target);
