// Fuzz target over the login's match: whatever the document and the typed texts, the Session stays
// within its fields, a failed match leaves it as it was, a match stands on a whole record that holds
// the typed ID (not empty) and password itself, and a well-formed record after any text is found.
#include "config/session.h"
#include "tests/config/reader_checks.h"
#include "tests/fuzz/fuzz_targets.h"

#include <stdlib.h>
#include <string.h>

namespace {

// A Session with marks in every field, so that a change shows.
void Mark(Session* s)
{
    memset(s, 0, sizeof *s);
    strcpy(s->userName, "mark");
    strcpy(s->header, "mark");
    strcpy(s->permittedPrograms, "mark;");
    strcpy(s->mysqlPassword, "mark");
}

bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// True when one record "<USER>" ... "</USER>" of the document, taken as the record scan takes
// them, holds both pieces inside itself.
bool SomeRecordHolds(const std::string& document, const std::string& first, const std::string& second)
{
    for (size_t open = document.find("<USER>"); open != std::string::npos; open = document.find("<USER>", open)) {
        size_t close = document.find("</USER>", open + 6);
        if (close == std::string::npos) return false;
        std::string record = document.substr(open, close - open);
        if (Contains(record, first) && Contains(record, second)) return true;
        open = close + 7;
    }
    return false;
}

// Plain login values that a record can hold as they are.
bool Writable(const std::string& value) { return !value.empty() && value.size() <= 16 && value.find_first_of("<\r\n") == std::string::npos; }

}  // namespace

std::string LoginMatchProblem(const uint8_t* data, size_t size)
{
    // Texts end at a zero byte, as the login's fields and the document do.
    std::string line = TakeLine(&data, &size);
    std::string id = DocumentText(reinterpret_cast<const uint8_t*>(line.data()), line.size());
    line = TakeLine(&data, &size);
    std::string password = DocumentText(reinterpret_cast<const uint8_t*>(line.data()), line.size());
    std::string document = DocumentText(data, size);

    Session before, target;
    Mark(&before);
    Mark(&target);
    bool matched = MatchLoginUser(document.c_str(), id.c_str(), password.c_str(), &target);
    std::string problem;
    if (!matched) {
        if (memcmp(&before, &target, sizeof target) != 0) problem = "a failed match changed the session";
    } else {
        problem = CheckSessionLimits(target);
        if (problem.empty() && id.empty()) problem = "an empty ID matched";
        if (problem.empty() && !SomeRecordHolds(document, "<USERID>" + id + "</USERID>", "<USERPWD>" + password + "</USERPWD>"))
            problem = "a match on values no record holds itself";
    }
    free(target.programs);
    if (!problem.empty() || Contains(document, "<USER>") || Contains(document, "</USER>") || !Writable(id) ||
        !Writable(password))
        return problem;

    // The same text followed by a well-formed record of the typed user.
    std::string withUser = document + "<USER><USERNAME>Fuzz</USERNAME><USERID>" + id + "</USERID><USERPWD>" + password +
                           "</USERPWD><USERADMIN>YES</USERADMIN><PROGRAMOK>P;</PROGRAMOK></USER>\r\n";
    Mark(&target);
    if (!MatchLoginUser(withUser.c_str(), id.c_str(), password.c_str(), &target))
        problem = "a well-formed record after the text is not found";
    else if (strcmp(target.userName, "Fuzz") != 0 || !target.isAdmin || strcmp(target.permittedPrograms, "P;") != 0)
        problem = "the well-formed record reads other values";
    else
        problem = CheckSessionLimits(target);
    free(target.programs);
    return problem;
}

MV_FUZZ_ENTRY(LoginMatchProblem)
