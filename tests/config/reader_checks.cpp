#include "tests/config/reader_checks.h"

#include "config/config_document.h"
#include "config/session.h"

#include <stdlib.h>
#include <string.h>

#include <memory>
#include <vector>

namespace {

// A field that holds a terminated value of at most limit characters.
template <size_t capacity>
bool Within(const char (&field)[capacity], size_t limit)
{
    size_t length = strnlen(field, capacity);
    return length < capacity && length <= limit;
}

std::string CheckEntries(const ProgramEntry* entries, int count)
{
    for (int i = 0; i < count; i++) {
        const ProgramEntry& e = entries[i];
        if (!Within(e.id, 16) || !Within(e.description, 120) || !Within(e.fullPath, 260) || !Within(e.alias, 60) ||
            !Within(e.iconFile, 260))
            return "program entry " + std::to_string(i) + " out of its limits";
    }
    return "";
}

std::string CheckSession(const Session& s)
{
    if (!Within(s.userName, 100) || !Within(s.permittedPrograms, 1024) || !Within(s.header, 1024) ||
        !Within(s.mysqlDataSource, 100) || !Within(s.mysqlUser, 100) || !Within(s.mysqlPassword, 100) ||
        !Within(s.sqlServerDataSource, 100) || !Within(s.sqlServerUser, 100) || !Within(s.sqlServerPassword, 100))
        return "session text out of its limits";
    if (s.programCount < 0 || (s.programCount > 0) != (s.programs != nullptr)) return "session program table inconsistent";
    return CheckEntries(s.programs, s.programCount);
}

std::string CheckModel(const ConfigModel& m)
{
    if (m.programRecordCount < 0 || m.programRecordCount > maxConfigRecords || m.userRecordCount < 0 ||
        m.userRecordCount > maxConfigRecords)
        return "model count out of range";
    if (!Within(m.header, modelHeaderLimit)) return "model header out of its limit";
    const ServerCredentials* servers[] = {&m.mysql, &m.sqlServer};
    for (const ServerCredentials* s : servers)
        if (!Within(s->dataSource, 100) || !Within(s->user, 100) || !Within(s->password, 100))
            return "model server value out of its limit";
    for (int i = 0; i < m.programRecordCount; i++) {
        const ProgramRecord& p = m.programRecords[i];
        if (!Within(p.id, 16) || !Within(p.description, 120) || !Within(p.fullPath, 260) || !Within(p.alias, 60) ||
            !Within(p.iconFile, 260) || p.deleted)
            return "model program " + std::to_string(i) + " out of its limits";
    }
    for (int i = 0; i < m.userRecordCount; i++) {
        const UserRecord& u = m.userRecords[i];
        if (!Within(u.name, 100) || !Within(u.id, 16) || !Within(u.password, 16) ||
            !Within(u.permittedPrograms, modelPermittedLimit) || u.deleted || (u.isAdmin != 0 && u.isAdmin != 1))
            return "model user " + std::to_string(i) + " out of its limits";
    }
    return "";
}

std::vector<const char*> ValuesOf(const ConfigModel& m)
{
    std::vector<const char*> values = {m.header,           m.mysql.dataSource,     m.mysql.user,
                                       m.mysql.password,   m.sqlServer.dataSource, m.sqlServer.user,
                                       m.sqlServer.password};
    for (int i = 0; i < m.programRecordCount; i++) {
        const ProgramRecord& p = m.programRecords[i];
        values.insert(values.end(), {p.id, p.description, p.fullPath, p.alias, p.iconFile});
    }
    for (int i = 0; i < m.userRecordCount; i++) {
        const UserRecord& u = m.userRecords[i];
        values.insert(values.end(), {u.name, u.id, u.password, u.permittedPrograms});
    }
    return values;
}

std::string Compare(const ConfigModel& a, const ConfigModel& b)
{
    if (a.programRecordCount != b.programRecordCount || a.userRecordCount != b.userRecordCount)
        return "rewritten model has other counts";
    std::vector<const char*> x = ValuesOf(a), y = ValuesOf(b);
    for (size_t i = 0; i < x.size(); i++)
        if (strcmp(x[i], y[i]) != 0) return "rewritten model differs in value " + std::to_string(i);
    for (int i = 0; i < a.userRecordCount; i++)
        if (a.userRecords[i].isAdmin != b.userRecords[i].isAdmin) return "rewritten model differs in an admin flag";
    return "";
}

// The two models of a check (read and reread), allocated once for the process: a fresh allocation
// of this size for every check made the fuzz target spend most of its time mapping memory.
struct ModelSlot {
    ConfigModel* get() const { return model; }
    ConfigModel& operator*() const { return *model; }
    explicit operator bool() const { return model != nullptr; }
    ConfigModel* model;
};

ModelSlot Load(int slot, const char* document)
{
    static ConfigModel* slots[2];
    if (!slots[slot]) slots[slot] = static_cast<ConfigModel*>(malloc(sizeof(ConfigModel)));
    ModelSlot model{slots[slot]};
    if (model) {
        memset(model.get(), 0x5A, sizeof(ConfigModel));  // the reader must reset everything itself
        LoadConfigModelFrom(model.get(), document);
    }
    return model;
}

// For the first user records of the document: whether the login may match the record (an ID that is
// there and not empty, a password that is there, both within 16 characters).
std::vector<bool> LoginMatchable(const char* document, int records)
{
    std::vector<bool> matchable;
    RecordScan scan;
    scan.Init(document, "USER");
    while ((int)matchable.size() < records && scan.Next()) {
        char id[17], password[17];
        matchable.push_back(ReadRecordFieldInto<16>(scan, "USERID", id) == tagPresent && id[0] &&
                            ReadRecordFieldInto<16>(scan, "USERPWD", password) == tagPresent);
    }
    return matchable;
}

// The login reads the records the editor reads, within the limits both share; a record the login
// may not match is matched by nobody typing its values.
std::string CompareLoginWithModel(const char* document, const ConfigModel& m)
{
    int users = m.userRecordCount < 3 ? m.userRecordCount : 3;
    std::vector<bool> matchable = LoginMatchable(document, m.userRecordCount);
    if ((int)matchable.size() != m.userRecordCount) return "login and model see other user records";
    for (int i = 0; i < users; i++) {
        const UserRecord& u = m.userRecords[i];
        Session s;
        memset(&s, 0, sizeof s);
        if (!matchable[i]) {
            bool other = false;  // an earlier or later well-formed record with the same values
            for (int k = 0; k < m.userRecordCount; k++)
                other = other || (matchable[k] && !strcmp(m.userRecords[k].id, u.id) && !strcmp(m.userRecords[k].password, u.password));
            bool matched = MatchLoginUser(document, u.id, u.password, &s);
            free(s.programs);
            if (matched && !other) return "login matches malformed user " + std::to_string(i);
            continue;
        }
        int first = 0;
        while (!matchable[first] || strcmp(m.userRecords[first].id, u.id) != 0 ||
               strcmp(m.userRecords[first].password, u.password) != 0)
            first++;
        const UserRecord& matched = m.userRecords[first];
        if (!MatchLoginUser(document, u.id, u.password, &s)) return "login misses model user " + std::to_string(i);
        std::string problem = CheckSession(s);
        if (problem.empty() && (strcmp(s.userName, matched.name) != 0 || strcmp(s.permittedPrograms, matched.permittedPrograms) != 0))
            problem = "login reads another user than the model for user " + std::to_string(i);
        if (problem.empty() && m.header[0] && strcmp(s.header, m.header) != 0) problem = "login reads another header";
        if (problem.empty() && (strcmp(s.mysqlDataSource, m.mysql.dataSource) || strcmp(s.mysqlUser, m.mysql.user) ||
                                strcmp(s.mysqlPassword, m.mysql.password) || strcmp(s.sqlServerDataSource, m.sqlServer.dataSource) ||
                                strcmp(s.sqlServerUser, m.sqlServer.user) || strcmp(s.sqlServerPassword, m.sqlServer.password)))
            problem = "login reads other server values";
        if (problem.empty() && s.programCount < m.programRecordCount) problem = "login table shorter than the model's programs";
        for (int p = 0; problem.empty() && p < m.programRecordCount; p++) {
            const ProgramRecord& r = m.programRecords[p];
            const ProgramEntry& e = s.programs[p];
            if (strcmp(r.id, e.id) || strcmp(r.description, e.description) || strcmp(r.fullPath, e.fullPath) ||
                strcmp(r.alias, e.alias) || strcmp(r.iconFile, e.iconFile))
                problem = "login table differs from the model in program " + std::to_string(p);
        }
        free(s.programs);
        if (!problem.empty()) return problem;
    }
    return "";
}

}  // namespace

std::string CheckSessionLimits(const Session& session) { return CheckSession(session); }

std::string CheckProgramEntries(const ProgramEntry* entries, int count) { return CheckEntries(entries, count); }

std::string CheckDocumentReaders(const char* document)
{
    // The login with texts that may or may not match, twice into one Session (the second match
    // replaces the first table).
    Session session;
    memset(&session, 0, sizeof session);
    const char* typed[][2] = {{"A", "B"}, {"", ""}, {"ZODA", "ZODA"}};
    for (auto& pair : typed) {
        MatchLoginUser(document, pair[0], pair[1], &session);
        MatchLoginUser(document, pair[0], pair[1], &session);
        std::string problem = CheckSession(session);
        if (!problem.empty()) {
            free(session.programs);
            return problem;
        }
    }
    free(session.programs);

    ProgramEntry* entries;
    int count;
    if (!BuildProgramTable(document, &entries, &count)) return "program table: out of memory";
    int complete = 0;
    RecordScan programs;
    programs.Init(document, "PROGRAM");
    while (complete < maxProgramTableEntries && programs.Next()) complete++;
    std::string problem = count == complete ? CheckEntries(entries, count)
                                            : "program table size differs from the number of complete records";
    free(entries);
    if (!problem.empty()) return problem;

    ModelSlot model = Load(0, document);
    if (!model) return "out of memory";
    problem = CheckModel(*model);
    if (problem.empty()) problem = CompareLoginWithModel(document, *model);
    if (!problem.empty()) return problem;

    char* text = BuildConfigDocument(model.get());
    if (!text) return "rewrite: out of memory";
    ModelSlot reloaded = Load(1, text);
    problem = reloaded ? CheckModel(*reloaded) : "out of memory";
    // Values are written verbatim: one holding a "<" may be read as a tag of its own next time.
    bool plainValues = true;
    for (const char* value : ValuesOf(*model))
        if (strchr(value, '<')) plainValues = false;
    if (problem.empty() && plainValues) {
        problem = Compare(*model, *reloaded);
        if (problem.empty()) problem = CompareLoginWithModel(text, *reloaded);
        if (problem.empty()) {
            char* again = BuildConfigDocument(reloaded.get());
            if (!again || strcmp(again, text) != 0) problem = "rewriting the rewritten model changes the text";
            free(again);
        }
    }
    free(text);
    return problem;
}
