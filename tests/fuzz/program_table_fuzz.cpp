// Fuzz target over the program table the login builds: whatever the document, the table has no
// more entries than "<PROGRAM>" tags nor than its cap, every entry stays within its fields and holds
// an ID the document has, and well-formed records after any text read back whole.
#include "config/config_document.h"
#include "tests/config/reader_checks.h"
#include "tests/fuzz/fuzz_targets.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char* const wellFormed =
    "  <PROGRAM><PROGRAMID>FZ1</PROGRAMID><PROGRAMDESC>Első</PROGRAMDESC><PROGRAMFULLPATH>C:\\a b\\1.exe</PROGRAMFULLPATH>"
    "<PROGRAMALIAS>A1</PROGRAMALIAS><PROGRAMICON>1.ico</PROGRAMICON></PROGRAM>\r\n"
    "  <PROGRAM><PROGRAMID>FZ2</PROGRAMID><PROGRAMDESC></PROGRAMDESC><PROGRAMFULLPATH>2.bat</PROGRAMFULLPATH>"
    "<PROGRAMALIAS></PROGRAMALIAS><PROGRAMICON></PROGRAMICON></PROGRAM>\r\n";

bool Same(const ProgramEntry& e, const char* id, const char* description, const char* path, const char* alias,
          const char* icon)
{
    return !strcmp(e.id, id) && !strcmp(e.description, description) && !strcmp(e.fullPath, path) &&
           !strcmp(e.alias, alias) && !strcmp(e.iconFile, icon);
}

}  // namespace

std::string ProgramTableProblem(const uint8_t* data, size_t size)
{
    std::string text = DocumentText(data, size);
    std::string document = text + wellFormed;
    ProgramEntry* entries = nullptr;
    int count = -1;
    if (!BuildProgramTable(document.c_str(), &entries, &count)) return "";  // out of memory: nothing to check
    std::string problem;
    int tags = CountRecordTags(document.c_str(), "PROGRAM");
    if (count < 0 || count > tags || count > maxProgramTableEntries || (count > 0) != (entries != nullptr)) {
        problem = "the table has " + std::to_string(count) + " entries for " + std::to_string(tags) + " tags";
    } else {
        problem = CheckProgramEntries(entries, count);
        for (int i = 0; problem.empty() && i < count; i++)
            if (entries[i].id[0] && document.find("<PROGRAMID>" + std::string(entries[i].id) + "</PROGRAMID>") == std::string::npos)
                problem = "entry " + std::to_string(i) + " holds an ID the document does not have";
        // Text without record tags of its own cannot change the records after it.
        if (problem.empty() && text.find("<PROGRAM>") == std::string::npos && text.find("</PROGRAM>") == std::string::npos &&
            (count != 2 || !Same(entries[0], "FZ1", "Első", "C:\\a b\\1.exe", "A1", "1.ico") ||
             !Same(entries[1], "FZ2", "", "2.bat", "", "")))
            problem = "well-formed records after the text read back otherwise";
    }
    free(entries);
    return problem;
}

MV_FUZZ_ENTRY(ProgramTableProblem)
