#include "tools/config_text.h"

#include "config/config_document.h"
#include "config/session.h"
#include "support/bounded_text.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Unicode code points of the Windows-1250 bytes 0x80 to 0xFF; 0 marks the five undefined bytes.
const unsigned short upperHalf[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

std::string Describe(const char* what, const char* problem)
{
    return std::string(what) + " " + problem;
}

// Lower-case letters of Windows-1250 (ASCII and the accented ones the login field would raise).
bool IsLowerCaseLetter(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return true;
    if (c < 0x80) return false;
    unsigned short u = upperHalf[c - 0x80];
    switch (u) {
    case 0x0161: case 0x015B: case 0x0165: case 0x017E: case 0x017A: case 0x0142: case 0x0105:
    case 0x015F: case 0x013E: case 0x017C:
        return true;
    default:  // 0xDF (sharp s) has no capital and stays typable
        return c >= 0xE0 && c != 0xF7 && c != 0xFF;
    }
}

}  // namespace

bool Utf8ToCp1250(const std::string& utf8, std::string* cp1250, std::string* error)
{
    cp1250->clear();
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = utf8[i];
        unsigned long code;
        size_t length;
        if (c < 0x80) { code = c; length = 1; }
        else if ((c & 0xE0) == 0xC0) { code = c & 0x1F; length = 2; }
        else if ((c & 0xF0) == 0xE0) { code = c & 0x0F; length = 3; }
        else if ((c & 0xF8) == 0xF0) { code = c & 0x07; length = 4; }
        else {
            *error = "invalid UTF-8 at byte " + std::to_string(i);
            return false;
        }
        if (i + length > utf8.size()) {
            *error = "invalid UTF-8 at byte " + std::to_string(i);
            return false;
        }
        for (size_t k = 1; k < length; k++) {
            unsigned char next = utf8[i + k];
            if ((next & 0xC0) != 0x80) {
                *error = "invalid UTF-8 at byte " + std::to_string(i);
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        static const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length]) {
            *error = "invalid UTF-8 (overlong form) at byte " + std::to_string(i);
            return false;
        }
        if (code < 0x80) {
            cp1250->push_back((char)code);
        } else {
            int found = -1;
            for (int b = 0; b < 128 && found < 0; b++)
                if (upperHalf[b] == code) found = b;
            if (found < 0) {
                *error = "character U+" + std::to_string(code) + " at byte " + std::to_string(i) +
                         " has no Windows-1250 form";
                return false;
            }
            cp1250->push_back((char)(0x80 + found));
        }
        i += length;
    }
    return true;
}

bool Cp1250ToUtf8(const std::string& cp1250, std::string* utf8, std::string* error)
{
    utf8->clear();
    for (size_t i = 0; i < cp1250.size(); i++) {
        unsigned char c = cp1250[i];
        unsigned long code = c < 0x80 ? c : upperHalf[c - 0x80];
        if (c >= 0x80 && code == 0) {
            *error = "byte " + std::to_string(i) + " is not a Windows-1250 character";
            return false;
        }
        if (code < 0x80) {
            utf8->push_back((char)code);
        } else if (code < 0x800) {
            utf8->push_back((char)(0xC0 | (code >> 6)));
            utf8->push_back((char)(0x80 | (code & 0x3F)));
        } else {
            utf8->push_back((char)(0xE0 | (code >> 12)));
            utf8->push_back((char)(0x80 | ((code >> 6) & 0x3F)));
            utf8->push_back((char)(0x80 | (code & 0x3F)));
        }
    }
    return true;
}

bool CheckPlainDocument(const std::string& document, std::string* error)
{
    if (document.find('\0') != std::string::npos) {
        *error = "the document holds a zero byte: it is not a plain-text document";
        return false;
    }
    // Each record's fields are read inside it, as the login reads them, so the check costs one pass
    // over the document however many records it holds.
    RecordScan scan;
    scan.InitRange(document.c_str(), document.c_str() + document.size(), "USER");
    while (scan.Next()) {
        char id[17], password[17];
        if (ReadRecordFieldInto<16>(scan, "USERID", id) == tagPresent && *id &&
            ReadRecordFieldInto<16>(scan, "USERPWD", password) == tagPresent && *password)
            return true;
    }
    *error = "the document has no complete <USER> record with <USERID> and <USERPWD>: nobody could log in";
    return false;
}

bool CheckFreeText(const std::string& value, const char* what, size_t limit, bool mayBeEmpty, std::string* error)
{
    if (value.empty() && !mayBeEmpty) {
        *error = Describe(what, "must not be empty");
        return false;
    }
    if (value.size() > limit) {
        *error = Describe(what, ("is longer than " + std::to_string(limit) + " characters").c_str());
        return false;
    }
    for (unsigned char c : value) {
        if (c == '<' || c == '>') {
            *error = Describe(what, "must not contain '<' or '>'");
            return false;
        }
        if (c < 32 || c == 127) {
            *error = Describe(what, "must not contain control characters");
            return false;
        }
    }
    return true;
}

bool CheckLoginValue(const std::string& value, const char* what, std::string* error)
{
    if (!CheckFreeText(value, what, 8, false, error)) return false;
    for (unsigned char c : value) {
        if (IsLowerCaseLetter(c)) {
            *error = Describe(what, "must not contain lower-case letters: the login window types capitals only");
            return false;
        }
        if (c == ' ') {
            *error = Describe(what, "must not contain blanks");
            return false;
        }
    }
    return true;
}

std::string BuildStarterDocument(const std::string& header, const std::string& name, const std::string& id,
                                 const std::string& password)
{
    ConfigModel* model = static_cast<ConfigModel*>(calloc(1, sizeof(ConfigModel)));
    if (!model) return std::string();
    CopyText(model->header, header.c_str());
    UserRecord& user = model->userRecords[0];
    CopyText(user.name, name.c_str());
    CopyText(user.id, id.c_str());
    CopyText(user.password, password.c_str());
    user.isAdmin = 1;
    model->userRecordCount = 1;
    char* text = BuildConfigDocument(model);
    std::string document = text ? text : "";
    free(text);
    free(model);
    return document;
}
