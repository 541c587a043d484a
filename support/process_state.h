// Process-wide values of the launcher and the file test that start-up, the main window and the
// picture loader share.
#pragma once

#include "support/platform.h"

// Module instance handle received by the entry point; every template, menu, icon and bitmap is
// loaded through it. Null natively.
extern HINSTANCE appInstance;

// The current directory as it was at start-up. Every access to Marvitelkon.ini first makes it
// current again; a MySQL backup's console starts in it.
extern char startDirectory[MAX_PATH];

// The unscrambled configuration document, zero-terminated, or null before the first login attempt.
// Owned here: allocated with malloc by whoever replaces it, freed by the exit steps.
extern char* documentText;

// Replaces documentText with text (which must come from malloc; ownership passes here) and frees
// the old one. Null clears it.
void ReplaceDocumentText(char* text);

// True when an ordinary file of that name exists: directories, hidden and system files do not count.
bool FileExists(const char* path);
