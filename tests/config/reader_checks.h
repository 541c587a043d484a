// What must hold for any document text, whatever it holds: the readers stay within their fields,
// and a model rewritten in the canonical layout reads back as the same model, in the editor and at
// login. Shared by the robustness tests and the fuzz target.
#pragma once

#include <string>

// Runs MatchLoginUser, BuildProgramTable, LoadConfigModelFrom and BuildConfigDocument over document
// (zero-terminated) and the rewritten text. Returns an empty text when every check held, otherwise
// the first that failed.
std::string CheckDocumentReaders(const char* document);

struct Session;
struct ProgramEntry;
// Every text of a Session and its program table within the login's limits, the table consistent
// with its count; empty when so, otherwise what is out of place.
std::string CheckSessionLimits(const Session& session);
// Every entry of a program table within its fields' limits; empty when so.
std::string CheckProgramEntries(const ProgramEntry* entries, int count);
