// Text work of the mvconfig tool: Windows-1250 <-> UTF-8, checks of plain documents and of the
// values of a starter document. Pure; no files.
#pragma once

#include <string>

// Converts UTF-8 to Windows-1250. False (and a message in error) for invalid UTF-8 or a character
// that Windows-1250 lacks.
bool Utf8ToCp1250(const std::string& utf8, std::string* cp1250, std::string* error);

// Converts Windows-1250 to UTF-8. False for the five bytes that Windows-1250 leaves undefined.
bool Cp1250ToUtf8(const std::string& cp1250, std::string* utf8, std::string* error);

// Checks a plain document (Windows-1250) before it is scrambled: no zero bytes, and at least one
// complete USER record with an ID and a password, so that somebody can log in.
bool CheckPlainDocument(const std::string& document, std::string* error);

// Checks one value of a starter document (Windows-1250). what names it in messages. Login IDs and
// passwords must be typable in the login window: 1 to 8 characters, no lower-case letters (the
// fields turn letters into capitals). Values must not contain "<", ">" or control characters,
// which would break the document.
bool CheckLoginValue(const std::string& value, const char* what, std::string* error);
bool CheckFreeText(const std::string& value, const char* what, size_t limit, bool mayBeEmpty, std::string* error);

// The starter document: the header, no programs, one administrator.
std::string BuildStarterDocument(const std::string& header, const std::string& name, const std::string& id,
                                 const std::string& password);
