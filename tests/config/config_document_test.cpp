#include "config/config_document.h"

#include "config/session.h"
#include "tests/config/config_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

// --- ExtractTag ---------------------------------------------------------------------------------

TEST(ExtractTag, TakesTheTextBetweenTheFirstOpeningAndTheFirstClosingTag)
{
    struct Case {
        const char* text;
        const char* name;
        size_t limit;
        const char* value;
    } cases[] = {
        {"<A>x</A>", "A", 16, "x"},
        {"<A></A>", "A", 16, ""},
        {"x</A>", "A", 16, ""},                     // no opening tag
        {"<A>x", "A", 16, ""},                      // no closing tag
        {"</A></A>", "A", 16, ""},                  // closing tags only
        {"</A>x<A>y", "A", 16, ""},                 // closing tag before the opening one
        {"</A>x<A>y</A>", "A", 16, ""},             // the first closing tag counts, not the one after
        {"<A>12345</A>", "A", 4, ""},               // longer than the limit: dropped whole
        {"<A>12345</A>", "A", 5, "12345"},          // exactly at the limit
        {"<A>x</A>", "A", 0, ""},
        {"<A> a\r\n b </A>", "A", 16, " a\r\n b "},  // blanks and line breaks stay
        {"<USERNAME>Kiss</USERNAME>Péter</USERNAME>", "USERNAME", 100, "Kiss"},
        {"<a>x</a>", "A", 16, ""},                  // tag names are case-sensitive
        {"<USERID>x</USERID>", "USER", 16, ""},     // the ">" is part of the tag
        {"pre <A>first</A> <A>second</A>", "A", 16, "first"},
        {"<A><A>inner</A>", "A", 16, "<A>inner"},
        {"", "A", 16, ""},
    };
    for (const Case& c : cases) {
        char buffer[32];
        strcpy(buffer, "old contents");
        EXPECT_EQ(ExtractTag(c.text, c.name, buffer, c.limit), buffer);
        EXPECT_STREQ(buffer, c.value) << c.text << " / " << c.name << " / " << c.limit;
    }
}

TEST(ExtractTag, SearchesPastTheRecordToTheEndOfTheText)
{
    const std::string document = "<USER><USERID>A</USERID></USER><USER><USERNAME>Béla</USERNAME></USER>";
    char name[101];
    EXPECT_STREQ(ExtractTag(document.c_str(), "USERNAME", name, 100), "Béla");
    char nothing[8];
    EXPECT_STREQ(ExtractTag(nullptr, "A", nothing, 7), "");
}

TEST(TagReader, ReadsWhatExtractTagReadsFromEveryPositionInAnyOrder)
{
    const std::string document = "<A>1</A> <B>x</B><A>22</A></A><A>333</A> <A>4";
    std::vector<size_t> positions;
    for (size_t i = 0; i <= document.size(); i++) positions.push_back(i);
    for (size_t i = document.size() + 1; i-- > 0;) positions.push_back(i);
    for (size_t i = 0; i <= document.size(); i += 3) positions.push_back((i * 7) % (document.size() + 1));
    TagReader reader;
    reader.Init(document.c_str() + document.size(), "A");
    for (size_t position : positions) {
        char expected[8], read[8];
        ExtractTag(document.c_str() + position, "A", expected, 2);
        EXPECT_STREQ(reader.Read(document.c_str() + position, read, 2), expected) << position;
    }
}

// --- Record scan --------------------------------------------------------------------------------

std::vector<size_t> RecordOffsets(const std::string& document, const char* name)
{
    std::vector<size_t> offsets;
    RecordScan scan;
    scan.Init(document.c_str(), name);
    while (scan.Next()) offsets.push_back(static_cast<size_t>(scan.record - document.c_str()));
    EXPECT_FALSE(scan.Next());  // an ended scan stays ended
    return offsets;
}

TEST(RecordScan, FindsWholeRecordsAndGoesOnAfterEachClosingTag)
{
    struct Case {
        std::string document;
        const char* name;
        std::vector<size_t> offsets;
    } cases[] = {
        {"<USERS><USERID>1</USERID></USERS>", "USER", {}},
        {"<USER>a</USER><USER>b</USER>", "USER", {0, 14}},
        {"<USER>a<USER>b</USER><USER>c</USER>", "USER", {7, 21}},  // the first has no end of its own
        {"<USER>a</USER><USER>b", "USER", {0}},                    // a last record without its end
        {"</USER><USER>a</USER>", "USER", {7}},
        {"<PROGRAMS><PROGRAMID>x</PROGRAMID></PROGRAMS>", "PROGRAM", {}},
        {"<PROGRAM>1<PROGRAM>2</PROGRAM><PROGRAM>3</PROGRAM>", "PROGRAM", {10, 30}},
        {"", "USER", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordOffsets(c.document, c.name), c.offsets) << c.document;
}

TEST(CountRecordTags, CountsOnlyTheExactOpeningTag)
{
    EXPECT_EQ(CountRecordTags("<PROGRAMS><PROGRAM><PROGRAMID></PROGRAMID><PROGRAM></PROGRAMS>", "PROGRAM"), 2);
    EXPECT_EQ(CountRecordTags("", "PROGRAM"), 0);
    EXPECT_EQ(CountRecordTags(nullptr, "PROGRAM"), 0);
}

// --- Program table ------------------------------------------------------------------------------

struct Table {
    ProgramEntry* entries = nullptr;
    int count = -1;
    explicit Table(const std::string& document) { EXPECT_TRUE(BuildProgramTable(document.c_str(), &entries, &count)); }
    ~Table() { free(entries); }
    std::vector<std::string> Ids() const
    {
        std::vector<std::string> ids;
        for (int i = 0; i < count; i++) ids.push_back(entries[i].id);
        return ids;
    }
};

TEST(BuildProgramTable, OneEntryPerCompleteRecord)
{
    Table table(Document("", ProgramLine("P1", "Egy", "C:\\egy.exe", "ALIAS1", "egy.ico") + ProgramLine("P2"), ""));
    ASSERT_EQ(table.count, 2);
    EXPECT_STREQ(table.entries[0].id, "P1");
    EXPECT_STREQ(table.entries[0].description, "Egy");
    EXPECT_STREQ(table.entries[0].fullPath, "C:\\egy.exe");
    EXPECT_STREQ(table.entries[0].alias, "ALIAS1");
    EXPECT_STREQ(table.entries[0].iconFile, "egy.ico");
    EXPECT_STREQ(table.entries[1].id, "P2");

    Table none(Document("", "", UserLine("N", "A", "B")));
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.entries, nullptr);
}

TEST(BuildProgramTable, ABrokenRecordIsNoEntryAndTheNextIsReadWhole)
{
    auto broken = [](const std::string& line) { return line.substr(0, line.find("</PROGRAM>")) + "\r\n"; };
    Table middle(Document("", broken(ProgramLine("P1")) + ProgramLine("P2", "Kettő", "C:\\p2.exe") + ProgramLine("P3"), ""));
    EXPECT_EQ(middle.Ids(), (std::vector<std::string>{"P2", "P3"}));
    EXPECT_STREQ(middle.entries[0].description, "Kettő");
    EXPECT_STREQ(middle.entries[0].fullPath, "C:\\p2.exe");
    Table last(Document("", ProgramLine("P1") + ProgramLine("P2") + broken(ProgramLine("P3")), ""));
    EXPECT_EQ(last.Ids(), (std::vector<std::string>{"P1", "P2"}));
}

TEST(BuildProgramTable, AnOpeningTagInsideAValueStartsTheRecordThere)
{
    // The record begins at the tag inside the description: ID and description lie before it.
    Table table(Document("", ProgramLine("P1", "a <PROGRAM> b", "C:\\p1.exe") + ProgramLine("P2"), ""));
    EXPECT_EQ(table.Ids(), (std::vector<std::string>{"", "P2"}));
    EXPECT_STREQ(table.entries[0].description, "");
    EXPECT_STREQ(table.entries[0].fullPath, "C:\\p1.exe");
}

TEST(BuildProgramTable, FieldsAtTheirLimitStayLongerOnesReadEmpty)
{
    struct Case {
        int field;
        size_t limit;
    } cases[] = {{0, 16}, {1, 120}, {2, 260}, {3, 60}, {4, 260}};
    for (const Case& c : cases) {
        for (size_t length : {c.limit, c.limit + 1}) {
            std::string value(length, 'v');
            std::string fields[5] = {"ID", "D", "P", "A", "I"};
            fields[c.field] = value;
            Table table(Document("", ProgramLine(fields[0], fields[1], fields[2], fields[3], fields[4]), ""));
            ASSERT_EQ(table.count, 1);
            const ProgramEntry& e = table.entries[0];
            const char* read[5] = {e.id, e.description, e.fullPath, e.alias, e.iconFile};
            EXPECT_EQ(std::string(read[c.field]), length == c.limit ? value : "") << c.field << " " << length;
        }
    }
}

// --- ConfigModel reader ---------------------------------------------------------------------------

TEST(LoadConfigModel, ReadsEveryValueOfACanonicalDocument)
{
    std::string document = Document("Fejléc őű", ProgramLine("P1", "Egy", "C:\\egy.exe", "AL", "egy.ico") + ProgramLine("P2"),
                                    UserLine("Kiss Anna", "ANNA", "TITOK", "YES", "P1;P2;") + UserLine("Nagy Béla", "BELA", "B", "NO", "P2;"));
    ModelPointer model = LoadModel(document.c_str());
    EXPECT_STREQ(model->header, "Fejléc őű");
    EXPECT_STREQ(model->mysql.dataSource, "mydsn");
    EXPECT_STREQ(model->mysql.user, "root");
    EXPECT_STREQ(model->mysql.password, "mypwd");
    EXPECT_STREQ(model->sqlServer.dataSource, "msdsn");
    EXPECT_STREQ(model->sqlServer.user, "sa");
    EXPECT_STREQ(model->sqlServer.password, "mspwd");
    ASSERT_EQ(model->programRecordCount, 2);
    EXPECT_STREQ(model->programRecords[0].id, "P1");
    EXPECT_STREQ(model->programRecords[0].description, "Egy");
    EXPECT_STREQ(model->programRecords[0].fullPath, "C:\\egy.exe");
    EXPECT_STREQ(model->programRecords[0].alias, "AL");
    EXPECT_STREQ(model->programRecords[0].iconFile, "egy.ico");
    EXPECT_STREQ(model->programRecords[1].id, "P2");
    ASSERT_EQ(model->userRecordCount, 2);
    EXPECT_STREQ(model->userRecords[0].name, "Kiss Anna");
    EXPECT_STREQ(model->userRecords[0].id, "ANNA");
    EXPECT_STREQ(model->userRecords[0].password, "TITOK");
    EXPECT_EQ(model->userRecords[0].isAdmin, 1);
    EXPECT_STREQ(model->userRecords[0].permittedPrograms, "P1;P2;");
    EXPECT_STREQ(model->userRecords[1].name, "Nagy Béla");
    EXPECT_EQ(model->userRecords[1].isAdmin, 0);
}

TEST(LoadConfigModel, WithoutACompleteUserRecordEverythingStaysEmpty)
{
    std::string programs = ProgramLine("P1");
    std::string brokenUser = "<USER><USERNAME>x</USERNAME><USERID>A</USERID>";
    const std::string documents[] = {
        "",
        Document("Fejléc", programs, ""),
        Document("Fejléc", programs, brokenUser),
        "</USER><USER>",
    };
    for (const std::string& document : documents) {
        ModelPointer model = LoadModel(document.c_str());
        ModelPointer empty = NewModel();
        EXPECT_EQ(memcmp(model.get(), empty.get(), sizeof(ConfigModel)), 0) << document;
    }
    ModelPointer fromNull = LoadModel(nullptr);
    EXPECT_EQ(fromNull->userRecordCount, 0);
}

TEST(LoadConfigModel, AdministratorIsAnyValueBeginningWithCapitalY)
{
    struct Case {
        const char* value;
        int isAdmin;
    } cases[] = {{"YES", 1}, {"Yes", 1}, {"Y", 1}, {"YNOT", 1}, {"yes", 0}, {"NO", 0}, {"", 0}, {" YES", 0},
                 {"YESYESYESYESYESY", 1}, {"YESYESYESYESYESYE", 0}};  // 16 read, 17 too long
    for (const Case& c : cases) {
        std::string document = Document("", "", UserLine("N", "A", "B", c.value));
        EXPECT_EQ(LoadModel(document.c_str())->userRecords[0].isAdmin, c.isAdmin) << c.value;
    }
}

TEST(LoadConfigModel, ValuesLongerThanTheEditorsLimitsReadEmpty)
{
    struct Case {
        const char* what;
        size_t limit;
        std::string (*document)(const std::string& value);
        const char* (*read)(const ConfigModel& model);
    } cases[] = {
        {"header", 1024, [](const std::string& v) { return Document(v, "", UserLine("N", "A", "B")); },
         [](const ConfigModel& m) -> const char* { return m.header; }},
        {"mysql dsn", 100, [](const std::string& v) { return Document("", "", UserLine("N", "A", "B"), "<MYSQL_DSN>" + v + "</MYSQL_DSN>"); },
         [](const ConfigModel& m) -> const char* { return m.mysql.dataSource; }},
        {"mssql password", 100, [](const std::string& v) { return Document("", "", UserLine("N", "A", "B"), "", "<MSSQL_PWD>" + v + "</MSSQL_PWD>"); },
         [](const ConfigModel& m) -> const char* { return m.sqlServer.password; }},
        {"user name", 100, [](const std::string& v) { return Document("", "", UserLine(v, "A", "B")); },
         [](const ConfigModel& m) -> const char* { return m.userRecords[0].name; }},
        {"user id", 16, [](const std::string& v) { return Document("", "", UserLine("N", v, "B")); },
         [](const ConfigModel& m) -> const char* { return m.userRecords[0].id; }},
        // The password is the exception: kept cut (ReaderKeepsAnOverLongPasswordCutNeverEmpty).
        {"permitted list", 1024, [](const std::string& v) { return Document("", "", UserLine("N", "A", "B", "NO", v)); },
         [](const ConfigModel& m) -> const char* { return m.userRecords[0].permittedPrograms; }},
        {"program id", 16, [](const std::string& v) { return Document("", ProgramLine(v), UserLine("N", "A", "B")); },
         [](const ConfigModel& m) -> const char* { return m.programRecords[0].id; }},
        {"description", 120, [](const std::string& v) { return Document("", ProgramLine("P", v), UserLine("N", "A", "B")); },
         [](const ConfigModel& m) -> const char* { return m.programRecords[0].description; }},
        {"path", 260, [](const std::string& v) { return Document("", ProgramLine("P", "D", v), UserLine("N", "A", "B")); },
         [](const ConfigModel& m) -> const char* { return m.programRecords[0].fullPath; }},
        {"alias", 60, [](const std::string& v) { return Document("", ProgramLine("P", "D", "X", v), UserLine("N", "A", "B")); },
         [](const ConfigModel& m) -> const char* { return m.programRecords[0].alias; }},
        {"icon", 260, [](const std::string& v) { return Document("", ProgramLine("P", "D", "X", "A", v), UserLine("N", "A", "B")); },
         [](const ConfigModel& m) -> const char* { return m.programRecords[0].iconFile; }},
    };
    for (const Case& c : cases) {
        std::string atLimit(c.limit, 'x');
        ModelPointer kept = LoadModel(c.document(atLimit).c_str());
        EXPECT_EQ(std::string(c.read(*kept)), atLimit) << c.what;
        ModelPointer dropped = LoadModel(c.document(atLimit + "x").c_str());
        EXPECT_STREQ(c.read(*dropped), "") << c.what;
    }
}

TEST(LoadConfigModel, OnlyTheFirstHundredUsersAndProgramsAreRead)
{
    std::string programs, users;
    for (int i = 1; i <= 101; i++) {
        programs += ProgramLine("P" + std::to_string(i));
        users += UserLine("N" + std::to_string(i), "U" + std::to_string(i), "W");
    }
    ModelPointer model = LoadModel(Document("", programs, users).c_str());
    ASSERT_EQ(model->programRecordCount, 100);
    ASSERT_EQ(model->userRecordCount, 100);
    EXPECT_STREQ(model->programRecords[99].id, "P100");
    EXPECT_STREQ(model->userRecords[99].id, "U100");
    std::string rewritten = BuildText(model.get());
    EXPECT_EQ(rewritten.find("P101"), std::string::npos);
    EXPECT_EQ(rewritten.find("U101"), std::string::npos);
    EXPECT_NE(rewritten.find("U100"), std::string::npos);
}

TEST(LoadConfigModel, FieldsAndRecordTagsInsideValuesAreNotEscaped)
{
    // A user without USERNAME has no name: nothing is taken from the next user.
    ModelPointer model = LoadModel(Document("", "", "<USER><USERID>A</USERID></USER>" + UserLine("Béla", "B", "P")).c_str());
    ASSERT_EQ(model->userRecordCount, 2);
    EXPECT_STREQ(model->userRecords[0].name, "");
    EXPECT_STREQ(model->userRecords[0].id, "A");
    EXPECT_STREQ(model->userRecords[1].name, "Béla");

    // A whole record inside the header is a record of its own, with nothing in it.
    model = LoadModel(Document("<USER>H</USER>", "", UserLine("Anna", "A", "PA") + UserLine("Béla", "B", "PB")).c_str());
    ASSERT_EQ(model->userRecordCount, 3);
    EXPECT_STREQ(model->userRecords[0].id, "");
    EXPECT_STREQ(model->userRecords[0].password, "");
    EXPECT_STREQ(model->userRecords[1].id, "A");
    EXPECT_STREQ(model->userRecords[2].id, "B");
    EXPECT_STREQ(model->header, "<USER>H</USER>");

    // Written verbatim, a name holding another user's tags becomes that user at the next reading.
    ModelPointer injected = NewModel();
    CopyText(injected->userRecords[0].name, "X</USERNAME></USER><USER><USERNAME>Y");
    CopyText(injected->userRecords[0].id, "A");
    injected->userRecordCount = 1;
    std::string text = BuildText(injected.get());
    EXPECT_NE(text.find("<USERNAME>X</USERNAME></USER><USER><USERNAME>Y</USERNAME>"), std::string::npos);
    model = LoadModel(text.c_str());
    ASSERT_EQ(model->userRecordCount, 2);
    EXPECT_STREQ(model->userRecords[0].name, "X");
    EXPECT_STREQ(model->userRecords[1].name, "Y");
}

// --- Writer ---------------------------------------------------------------------------------------

const char* const handEdited =
    "; kézzel szerkesztve\n"
    "<MARVITELKON><HEADER>Fejléc</HEADER><EXTRA>más</EXTRA>\n"
    "<MYSQL_DSN>d</MYSQL_DSN><MYSQL_ROOT>r</MYSQL_ROOT><MYSQL_PWD>p</MYSQL_PWD>\n"
    "<MSSQL_DSN>md</MSSQL_DSN><MSSQL_ROOT>mr</MSSQL_ROOT><MSSQL_PWD>mp</MSSQL_PWD>\n"
    "<PROGRAM><PROGRAMICON>i.ico</PROGRAMICON><PROGRAMID>P1</PROGRAMID><PROGRAMDESC>Egy</PROGRAMDESC>"
    "<PROGRAMFULLPATH>C:\\a.exe</PROGRAMFULLPATH><PROGRAMALIAS></PROGRAMALIAS></PROGRAM>\n"
    "<USER><USERID>A</USERID><USERPWD>PA</USERPWD><USERNAME>Anna</USERNAME><USERADMIN>Yes</USERADMIN>"
    "<PROGRAMOK>P1;</PROGRAMOK></USER>\n"
    "<USER>\n<USERNAME>Béla</USERNAME><USERID>B</USERID><USERPWD>PB</USERPWD><USERADMIN>no</USERADMIN>"
    "<PROGRAMOK></PROGRAMOK>\n</USER>\n";

const char* const canonical =
    "<MARVITELKON>\r\n"
    "<HEADER>Fejléc</HEADER>\r\n"
    "<MYSQL><MYSQL_DSN>d</MYSQL_DSN><MYSQL_ROOT>r</MYSQL_ROOT><MYSQL_PWD>p</MYSQL_PWD></MYSQL>\r\n"
    "<MSSQL><MSSQL_DSN>md</MSSQL_DSN><MSSQL_ROOT>mr</MSSQL_ROOT><MSSQL_PWD>mp</MSSQL_PWD></MSSQL>\r\n"
    "<PROGRAMS>\r\n"
    "  <PROGRAM><PROGRAMID>P1</PROGRAMID><PROGRAMDESC>Egy</PROGRAMDESC><PROGRAMFULLPATH>C:\\a.exe</PROGRAMFULLPATH>"
    "<PROGRAMALIAS></PROGRAMALIAS><PROGRAMICON>i.ico</PROGRAMICON></PROGRAM>\r\n"
    "</PROGRAMS>\r\n"
    "<USERS>\r\n"
    "  <USER><USERNAME>Anna</USERNAME><USERID>A</USERID><USERPWD>PA</USERPWD><USERADMIN>YES</USERADMIN>"
    "<PROGRAMOK>P1;</PROGRAMOK></USER>\r\n"
    "  <USER><USERNAME>Béla</USERNAME><USERID>B</USERID><USERPWD>PB</USERPWD><USERADMIN>NO</USERADMIN>"
    "<PROGRAMOK></PROGRAMOK></USER>\r\n"
    "</USERS>\r\n"
    "</MARVITELKON>\r\n";

TEST(BuildConfigDocument, LoadThenBuildGivesTheCanonicalLayout)
{
    ModelPointer model = LoadModel(handEdited);
    EXPECT_EQ(BuildText(model.get()), canonical);
    // The canonical text is its own rewrite.
    EXPECT_EQ(BuildText(LoadModel(canonical).get()), canonical);
}

TEST(BuildConfigDocument, DeletedRecordsAreLeftOutAndTheRestRenumberedOnReload)
{
    ModelPointer model = LoadModel(Document("", ProgramLine("P1") + ProgramLine("P2") + ProgramLine("P3"),
                                            UserLine("N1", "U1", "W") + UserLine("N2", "U2", "W") + UserLine("N3", "U3", "W"))
                                       .c_str());
    model->programRecords[0].deleted = 1;
    model->userRecords[1].deleted = 1;
    ModelPointer reloaded = LoadModel(BuildText(model.get()).c_str());
    ASSERT_EQ(reloaded->programRecordCount, 2);
    EXPECT_STREQ(reloaded->programRecords[0].id, "P2");
    EXPECT_STREQ(reloaded->programRecords[1].id, "P3");
    ASSERT_EQ(reloaded->userRecordCount, 2);
    EXPECT_STREQ(reloaded->userRecords[0].id, "U1");
    EXPECT_STREQ(reloaded->userRecords[1].id, "U3");
    EXPECT_EQ(reloaded->userRecords[1].deleted, 0);
}

TEST(BuildConfigDocument, NeverReadsPastAFieldOrTheRecordArrays)
{
    ModelPointer model = NewModel();
    memset(model->header, 'h', sizeof model->header);  // not terminated
    memset(model->userRecords[0].permittedPrograms, 'p', sizeof model->userRecords[0].permittedPrograms);
    model->userRecords[0].isAdmin = 7;
    model->userRecordCount = 1000;
    model->programRecordCount = -5;
    std::string text = BuildText(model.get());
    EXPECT_NE(text.find("<HEADER>" + std::string(sizeof model->header, 'h') + "</HEADER>"), std::string::npos);
    EXPECT_NE(text.find("<PROGRAMOK>" + std::string(1028, 'p') + "</PROGRAMOK>"), std::string::npos);
    EXPECT_NE(text.find("<USERADMIN>YES</USERADMIN>"), std::string::npos);
    size_t users = 0;
    for (size_t at = text.find("<USER>"); at != std::string::npos; at = text.find("<USER>", at + 1)) users++;
    EXPECT_EQ(users, 100u);
    EXPECT_EQ(text.find("<PROGRAM>"), std::string::npos);
}

// --- Round trip at every limit ----------------------------------------------------------------

// index, then the fill character up to length characters.
std::string Filled(const std::string& prefix, int index, size_t length, char fill)
{
    std::string value = prefix + std::to_string(index);
    value.resize(length, fill);
    return value;
}

ModelPointer ModelAtTheLimits()
{
    ModelPointer model = NewModel();
    CopyText(model->header, Filled("Fejléc", 0, 255, 'h').c_str());
    CopyText(model->mysql.dataSource, Filled("md", 0, 100, 'a').c_str());
    CopyText(model->mysql.user, Filled("mu", 0, 100, 'b').c_str());
    CopyText(model->mysql.password, Filled("mp", 0, 100, 'c').c_str());
    CopyText(model->sqlServer.dataSource, Filled("sd", 0, 100, 'd').c_str());
    CopyText(model->sqlServer.user, Filled("su", 0, 100, 'e').c_str());
    CopyText(model->sqlServer.password, Filled("sp", 0, 100, 'f').c_str());
    for (int i = 0; i < maxConfigRecords; i++) {
        ProgramRecord& p = model->programRecords[i];
        CopyText(p.id, Filled("G", i, 16, 'g').c_str());
        CopyText(p.description, Filled("Leírás ", i, 120, 'ő').c_str());
        CopyText(p.fullPath, Filled("C:\\Út\\", i, 260, 'p').c_str());
        CopyText(p.alias, Filled("AL", i, 60, 'q').c_str());
        CopyText(p.iconFile, Filled("ikon", i, 260, 'r').c_str());
        UserRecord& u = model->userRecords[i];
        CopyText(u.name, Filled("Név ", i, 100, 'ű').c_str());
        CopyText(u.id, Filled("U", i, 16, 'U').c_str());
        CopyText(u.password, Filled("W", i, 16, 'W').c_str());
        CopyText(u.permittedPrograms, Filled("G", i, 1024, ';').c_str());
        u.isAdmin = i % 2;
    }
    model->programRecordCount = maxConfigRecords;
    model->userRecordCount = maxConfigRecords;
    return model;
}

void ExpectSameModel(const ConfigModel& a, const ConfigModel& b)
{
    EXPECT_STREQ(a.header, b.header);
    EXPECT_STREQ(a.mysql.dataSource, b.mysql.dataSource);
    EXPECT_STREQ(a.mysql.user, b.mysql.user);
    EXPECT_STREQ(a.mysql.password, b.mysql.password);
    EXPECT_STREQ(a.sqlServer.dataSource, b.sqlServer.dataSource);
    EXPECT_STREQ(a.sqlServer.user, b.sqlServer.user);
    EXPECT_STREQ(a.sqlServer.password, b.sqlServer.password);
    ASSERT_EQ(a.programRecordCount, b.programRecordCount);
    ASSERT_EQ(a.userRecordCount, b.userRecordCount);
    for (int i = 0; i < a.programRecordCount; i++) {
        const ProgramRecord& p = a.programRecords[i];
        const ProgramRecord& q = b.programRecords[i];
        EXPECT_STREQ(p.id, q.id) << i;
        EXPECT_STREQ(p.description, q.description) << i;
        EXPECT_STREQ(p.fullPath, q.fullPath) << i;
        EXPECT_STREQ(p.alias, q.alias) << i;
        EXPECT_STREQ(p.iconFile, q.iconFile) << i;
        EXPECT_EQ(p.deleted, q.deleted) << i;
    }
    for (int i = 0; i < a.userRecordCount; i++) {
        const UserRecord& u = a.userRecords[i];
        const UserRecord& v = b.userRecords[i];
        EXPECT_STREQ(u.name, v.name) << i;
        EXPECT_STREQ(u.id, v.id) << i;
        EXPECT_STREQ(u.password, v.password) << i;
        EXPECT_STREQ(u.permittedPrograms, v.permittedPrograms) << i;
        EXPECT_EQ(u.isAdmin, v.isAdmin) << i;
        EXPECT_EQ(u.deleted, v.deleted) << i;
    }
}

TEST(ConfigRoundTrip, EveryValueAtItsLimitReadsBackInTheEditorAndAtLogin)
{
    ModelPointer model = ModelAtTheLimits();
    std::string text = BuildText(model.get());
    ExpectSameModel(*model, *LoadModel(text.c_str()));

    Session target{};
    const UserRecord& last = model->userRecords[99];
    ASSERT_TRUE(MatchLoginUser(text.c_str(), last.id, last.password, &target));
    EXPECT_STREQ(target.userName, last.name);
    EXPECT_EQ(target.isAdmin, last.isAdmin != 0);
    EXPECT_STREQ(target.permittedPrograms, last.permittedPrograms);
    EXPECT_STREQ(target.header, model->header);
    EXPECT_STREQ(target.mysqlDataSource, model->mysql.dataSource);
    EXPECT_STREQ(target.mysqlUser, model->mysql.user);
    EXPECT_STREQ(target.mysqlPassword, model->mysql.password);
    EXPECT_STREQ(target.sqlServerDataSource, model->sqlServer.dataSource);
    EXPECT_STREQ(target.sqlServerUser, model->sqlServer.user);
    EXPECT_STREQ(target.sqlServerPassword, model->sqlServer.password);
    ASSERT_EQ(target.programCount, 100);
    for (int i = 0; i < 100; i++) {
        const ProgramRecord& p = model->programRecords[i];
        const ProgramEntry& e = target.programs[i];
        EXPECT_STREQ(e.id, p.id);
        EXPECT_STREQ(e.description, p.description);
        EXPECT_STREQ(e.fullPath, p.fullPath);
        EXPECT_STREQ(e.alias, p.alias);
        EXPECT_STREQ(e.iconFile, p.iconFile);
    }
    free(target.programs);
}

// --- Fields inside their own record --------------------------------------------------------------

// A user record missing fields in front of an administrator's record, a program record without a
// path in front of one with a path, and a last user record holding only a name and the
// administrator flag: each reader takes every field from the record it belongs to.
std::string MixedRecordsDocument()
{
    return Document("Fejléc",
                    "  <PROGRAM><PROGRAMID>UTNELKUL</PROGRAMID><PROGRAMDESC>Út nélkül</PROGRAMDESC></PROGRAM>\r\n" +
                        ProgramLine("MASIK", "Másik", "C:\\Suite\\masik.exe", "MDB", "m.ico"),
                    "  <USER><USERNAME>Kis Pál</USERNAME><USERID>KIS</USERID><USERPWD>KP</USERPWD></USER>\r\n" +
                        UserLine("Rendszergazda", "ADMIN", "TITOK", "YES", "UTNELKUL;MASIK;") +
                        "  <USER><USERNAME>Senki</USERNAME><USERADMIN>YES</USERADMIN></USER>\r\n");
}

TEST(RecordFields, EveryReaderTakesEachFieldFromItsOwnRecordOnly)
{
    const std::string document = MixedRecordsDocument();

    ModelPointer model = LoadModel(document.c_str());
    ASSERT_EQ(model->userRecordCount, 3);
    const UserRecord& kis = model->userRecords[0];
    EXPECT_STREQ(kis.name, "Kis Pál");
    EXPECT_EQ(kis.isAdmin, 0) << "the flag of the next record";
    EXPECT_STREQ(kis.permittedPrograms, "") << "the list of the next record";
    const UserRecord& nobody = model->userRecords[2];
    EXPECT_STREQ(nobody.id, "");
    EXPECT_STREQ(nobody.password, "");
    ASSERT_EQ(model->programRecordCount, 2);
    EXPECT_STREQ(model->programRecords[0].id, "UTNELKUL");
    EXPECT_STREQ(model->programRecords[0].fullPath, "") << "the path of the next program";
    EXPECT_STREQ(model->programRecords[0].alias, "");
    EXPECT_STREQ(model->programRecords[1].fullPath, "C:\\Suite\\masik.exe");

    ProgramEntry* entries = nullptr;
    int count = 0;
    ASSERT_TRUE(BuildProgramTable(document.c_str(), &entries, &count));
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(entries[0].id, "UTNELKUL");
    EXPECT_STREQ(entries[0].fullPath, "");
    EXPECT_STREQ(entries[0].iconFile, "");
    EXPECT_STREQ(entries[1].fullPath, "C:\\Suite\\masik.exe");
    free(entries);

    // The same document rewritten and read again keeps every field where it was.
    ModelPointer reread = LoadModel(BuildText(model.get()).c_str());
    EXPECT_EQ(reread->userRecords[0].isAdmin, 0);
    EXPECT_STREQ(reread->userRecords[0].permittedPrograms, "");
    EXPECT_STREQ(reread->programRecords[0].fullPath, "");
}

TEST(RecordFields, ReaderKeepsAnOverLongPasswordCutNeverEmpty)
{
    const std::string password20 = "ABCDEFGHIJKLMNOPQRST";
    const std::string document = Document("", "", UserLine("Hosszú", "HOSSZU", password20) + UserLine("Nincs", "NINCS", "X"));
    // The second user's password tag is gone altogether.
    std::string missing = document;
    missing.erase(missing.find("<USERPWD>X</USERPWD>"), strlen("<USERPWD>X</USERPWD>"));
    ModelPointer model = LoadModel(missing.c_str());
    ASSERT_EQ(model->userRecordCount, 2);
    EXPECT_STREQ(model->userRecords[0].password, "ABCDEFGHIJKLMNOP");
    EXPECT_STREQ(model->userRecords[1].password, "");

    // A rewrite keeps the cut password, which nobody can type with an empty password field.
    std::string rewritten = BuildText(model.get());
    EXPECT_NE(rewritten.find("<USERPWD>ABCDEFGHIJKLMNOP</USERPWD>"), std::string::npos);
    Session target{};
    EXPECT_FALSE(MatchLoginUser(document.c_str(), "HOSSZU", "", &target));
    EXPECT_FALSE(MatchLoginUser(rewritten.c_str(), "HOSSZU", "", &target));
    EXPECT_STREQ(target.userName, "");
}

// --- Hostile documents ----------------------------------------------------------------------------

TEST(BuildProgramTable, CountsOnlyCompleteRecordsAndNeverMoreThanCanBeShown)
{
    // Ten mebibytes of bare opening tags: no record at all.
    std::string bare;
    bare.reserve(10u << 20);
    while (bare.size() + 9 <= (10u << 20)) bare += "<PROGRAM>";
    Table none(bare);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.entries, nullptr);

    // More complete records than a permitted list can name: the first ones, in order.
    std::string programs;
    for (int i = 0; i < maxProgramTableEntries + 88; i++) programs += ProgramLine("P" + std::to_string(i));
    Table capped(Document("", programs + "<PROGRAM><PROGRAM>", ""));
    ASSERT_EQ(capped.count, (int)maxProgramTableEntries);
    EXPECT_STREQ(capped.entries[0].id, "P0");
    EXPECT_STREQ(capped.entries[maxProgramTableEntries - 1].id, ("P" + std::to_string(maxProgramTableEntries - 1)).c_str());
    EXPECT_GE(maxProgramTableEntries, 512) << "a list of 1024 characters names up to 512 programs";
}

}  // namespace
