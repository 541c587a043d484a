// Plain configuration documents for tests, built from readable pieces in the layout the launcher
// writes, and their scrambled on-disk form computed independently of ScrambledFile. Both builds.
#pragma once

#include "config/config_document.h"

#include <stddef.h>

#include <string>

// One program record line of the PROGRAMS section.
inline std::string ProgramLine(const std::string& id, const std::string& description = "Leírás",
                               const std::string& path = "C:\\Prog\\p.exe", const std::string& alias = "ALIAS",
                               const std::string& icon = "p.ico")
{
    return "  <PROGRAM><PROGRAMID>" + id + "</PROGRAMID><PROGRAMDESC>" + description + "</PROGRAMDESC><PROGRAMFULLPATH>" +
           path + "</PROGRAMFULLPATH><PROGRAMALIAS>" + alias + "</PROGRAMALIAS><PROGRAMICON>" + icon +
           "</PROGRAMICON></PROGRAM>\r\n";
}

// One user record line of the USERS section.
inline std::string UserLine(const std::string& name, const std::string& id, const std::string& password,
                            const std::string& admin = "NO", const std::string& permitted = "")
{
    return "  <USER><USERNAME>" + name + "</USERNAME><USERID>" + id + "</USERID><USERPWD>" + password +
           "</USERPWD><USERADMIN>" + admin + "</USERADMIN><PROGRAMOK>" + permitted + "</PROGRAMOK></USER>\r\n";
}

// The fields inside the MYSQL or MSSQL section; kind is "MYSQL" or "MSSQL".
inline std::string DataSourceFields(const std::string& kind, const std::string& dataSource, const std::string& user,
                                    const std::string& password)
{
    return "<" + kind + "_DSN>" + dataSource + "</" + kind + "_DSN><" + kind + "_ROOT>" + user + "</" + kind +
           "_ROOT><" + kind + "_PWD>" + password + "</" + kind + "_PWD>";
}

// A whole document; programs and users are record lines, mysql and mssql the sections' contents.
inline std::string Document(const std::string& header, const std::string& programs, const std::string& users,
                            const std::string& mysql = DataSourceFields("MYSQL", "mydsn", "root", "mypwd"),
                            const std::string& mssql = DataSourceFields("MSSQL", "msdsn", "sa", "mspwd"))
{
    return "<MARVITELKON>\r\n<HEADER>" + header + "</HEADER>\r\n<MYSQL>" + mysql + "</MYSQL>\r\n<MSSQL>" + mssql +
           "</MSSQL>\r\n<PROGRAMS>\r\n" + programs + "</PROGRAMS>\r\n<USERS>\r\n" + users + "</USERS>\r\n</MARVITELKON>\r\n";
}

// XOR with key, restarting at its first character: what a file written in one call holds. The same
// call turns such bytes back into the text.
inline std::string XorWithKey(const std::string& bytes, const std::string& key)
{
    std::string out = bytes;
    if (key.empty()) return out;
    for (size_t i = 0; i < out.size(); i++) out[i] = static_cast<char>(out[i] ^ key[i % key.size()]);
    return out;
}

// A plain document as Marvitelkon.ini holds it, or the file's bytes as plain text.
inline std::string Scramble(const std::string& bytes)
{
    return XorWithKey(bytes, configurationKey);
}
