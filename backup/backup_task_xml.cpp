#include "backup/backup_task_xml.h"

#include "support/bounded_text.h"

#include <stdio.h>
#include <string.h>

const char* const backupTaskFolder = "\\Marvitelkon";

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

// A value as element text or attribute value.
void PutEscaped(BoundedBuilder& xml, const char* value)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(OrEmpty(value)); *p; p++) {
        switch (*p) {
        case '&': xml.Put("&amp;"); break;
        case '<': xml.Put("&lt;"); break;
        case '>': xml.Put("&gt;"); break;
        case '"': xml.Put("&quot;"); break;
        case '\'': xml.Put("&apos;"); break;
        default:
            if (*p < 0x20) xml.failed = true;  // no control character is allowed in XML text
            xml.Put(static_cast<char>(*p));
        }
    }
}

// indent "<name>" value "</name>" CR LF.
void PutElement(BoundedBuilder& xml, const char* indent, const char* name, const char* value)
{
    xml.Put(indent);
    xml.Put("<");
    xml.Put(name);
    xml.Put(">");
    PutEscaped(xml, value);
    xml.Put("</");
    xml.Put(name);
    xml.Put(">\r\n");
}

// The text of the first <name> element of xml, its escapes read back; empty when there is none.
void ElementText(const char* xml, const char* name, char* target, size_t capacity)
{
    if (capacity == 0) return;
    target[0] = '\0';
    char open[64], close[64];
    snprintf(open, sizeof open, "<%s>", name);
    snprintf(close, sizeof close, "</%s>", name);
    const char* start = strstr(xml, open);
    const char* end = start ? strstr(start, close) : nullptr;
    if (!end) return;
    static const struct {
        const char* escape;
        char character;
    } escapes[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    size_t length = 0;
    for (const char* p = start + strlen(open); p < end && length + 1 < capacity;) {
        char c = *p;
        size_t taken = 1;
        for (const auto& one : escapes) {
            size_t size = strlen(one.escape);
            if (static_cast<size_t>(end - p) >= size && memcmp(p, one.escape, size) == 0) c = one.character, taken = size;
        }
        target[length++] = c;
        p += taken;
    }
    target[length] = '\0';
}

}  // namespace

bool BuildBackupTaskName(BackupKind kind, const char* database, char* target, size_t capacity)
{
    if (capacity == 0) return false;
    int written = snprintf(target, capacity, "%s - %s", kind == BackupKind::MySql ? "MySQL" : "SQL Server", OrEmpty(database));
    if (written >= 0 && static_cast<size_t>(written) < capacity) return true;
    target[0] = '\0';
    return false;
}

bool IsTimeOfDay(const char* text)
{
    text = OrEmpty(text);
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return strlen(text) == 5 && digit(text[0]) && digit(text[1]) && text[2] == ':' && digit(text[3]) && digit(text[4]) &&
           (text[0] - '0') * 10 + (text[1] - '0') < 24 && text[3] < '6';
}

bool BuildBackupTaskXml(const BackupSchedule& schedule, const BackupTaskPlace& place, char* target, size_t capacity)
{
    if (capacity == 0) return false;
    target[0] = '\0';
    char arguments[1024];
    if (!IsTimeOfDay(schedule.time) || !IsBackupDatabaseName(schedule.database) || schedule.keep < 1 ||
        !BuildBackupArguments(schedule.kind, schedule.database, schedule.folder, schedule.server, schedule.keep,
                              arguments, sizeof arguments))
        return false;
    char start[32], description[256];
    snprintf(start, sizeof start, "%sT%s:00", OrEmpty(place.date), schedule.time);
    snprintf(description, sizeof description, "Marvitelkon: a(z) '%s' adatbázis mentése naponta %s-kor.",
             schedule.database, schedule.time);
    BoundedBuilder xml;
    xml.Init(target, capacity);
    xml.Put("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
            "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
            "  <RegistrationInfo>\r\n");
    PutElement(xml, "    ", "Author", place.user);
    PutElement(xml, "    ", "Description", description);
    xml.Put("  </RegistrationInfo>\r\n"
            "  <Triggers>\r\n"
            "    <CalendarTrigger>\r\n");
    PutElement(xml, "      ", "StartBoundary", start);
    xml.Put("      <Enabled>true</Enabled>\r\n"
            "      <ScheduleByDay>\r\n"
            "        <DaysInterval>1</DaysInterval>\r\n"
            "      </ScheduleByDay>\r\n"
            "    </CalendarTrigger>\r\n"
            "  </Triggers>\r\n"
            "  <Principals>\r\n"
            "    <Principal id=\"Author\">\r\n");
    PutElement(xml, "      ", "UserId", place.user);
    xml.Put("      <LogonType>S4U</LogonType>\r\n"
            "      <RunLevel>LeastPrivilege</RunLevel>\r\n"
            "    </Principal>\r\n"
            "  </Principals>\r\n"
            "  <Settings>\r\n"
            "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
            "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
            "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
            "    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
            "    <Enabled>true</Enabled>\r\n"
            "  </Settings>\r\n"
            "  <Actions Context=\"Author\">\r\n"
            "    <Exec>\r\n");
    PutElement(xml, "      ", "Command", place.program);
    PutElement(xml, "      ", "Arguments", arguments);
    PutElement(xml, "      ", "WorkingDirectory", place.workingDirectory);
    xml.Put("    </Exec>\r\n"
            "  </Actions>\r\n"
            "</Task>\r\n");
    return xml.Finish();
}

void ReadBackupTaskXml(const char* xml, char* time, size_t timeCapacity, char* arguments, size_t argumentsCapacity)
{
    char start[64];
    ElementText(OrEmpty(xml), "StartBoundary", start, sizeof start);
    const char* clock = strchr(start, 'T');
    CopyTextPart(time, timeCapacity, clock ? clock + 1 : "", 5);
    if (!IsTimeOfDay(time) && timeCapacity) time[0] = '\0';
    ElementText(OrEmpty(xml), "Arguments", arguments, argumentsCapacity);
}
