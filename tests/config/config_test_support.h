// Helpers of the configuration tests: documents from readable pieces, the on-disk form computed
// independently of ScrambledFile, and the message boxes a test provoked in either build.
#pragma once

#include "config/config_document.h"
#include "support/bounded_text.h"
#include "support/platform.h"

#ifdef _WIN32
#include "tests/harness/message_box_capture.h"
#endif

#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

// XOR with "key", restarting at its first character: what a file written in one call holds.
inline std::string XorWithKey(const std::string& bytes, const std::string& key)
{
    std::string out = bytes;
    if (key.empty()) return out;
    for (size_t i = 0; i < out.size(); i++) out[i] = static_cast<char>(out[i] ^ key[i % key.size()]);
    return out;
}

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned style;
};

// Message boxes shown while an instance lives (answered with OK, never shown on screen).
class MessageBoxLog {
public:
    MessageBoxLog()
    {
#ifndef _WIN32
        ClearRecordedMessageBoxes();
#endif
    }
    std::vector<ShownBox> Boxes() const
    {
        std::vector<ShownBox> boxes;
#ifdef _WIN32
        for (const CapturedMessageBox& box : capture.Boxes()) boxes.push_back({box.text, box.caption, box.style});
#else
        for (int i = 0; i < RecordedMessageBoxCount(); i++) {
            const RecordedMessageBox* box = RecordedMessageBoxAt(i);
            boxes.push_back({box->text, box->caption, box->style});
        }
#endif
        return boxes;
    }

private:
#ifdef _WIN32
    MessageBoxCapture capture;
#endif
};

// A model on the heap (it is large), zeroed like a fresh one.
struct ModelDeleter {
    void operator()(ConfigModel* model) const { free(model); }
};
using ModelPointer = std::unique_ptr<ConfigModel, ModelDeleter>;
inline ModelPointer NewModel() { return ModelPointer(static_cast<ConfigModel*>(calloc(1, sizeof(ConfigModel)))); }

inline ModelPointer LoadModel(const char* document)
{
    ModelPointer model = NewModel();
    LoadConfigModelFrom(model.get(), document);
    return model;
}

// A malloc'ed copy, for documentText.
inline char* HeapText(const std::string& text)
{
    char* copy = static_cast<char*>(malloc(text.size() + 1));
    if (copy) memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// The document text of a model as a string.
inline std::string BuildText(const ConfigModel* model)
{
    char* text = BuildConfigDocument(model);
    std::string result = text ? text : "<out of memory>";
    free(text);
    return result;
}

// One canonical program line and user line, to assemble documents in tests.
inline std::string ProgramLine(const std::string& id, const std::string& description = "Leírás",
                               const std::string& path = "C:\\Prog\\p.exe", const std::string& alias = "ALIAS",
                               const std::string& icon = "p.ico")
{
    return "  <PROGRAM><PROGRAMID>" + id + "</PROGRAMID><PROGRAMDESC>" + description + "</PROGRAMDESC><PROGRAMFULLPATH>" +
           path + "</PROGRAMFULLPATH><PROGRAMALIAS>" + alias + "</PROGRAMALIAS><PROGRAMICON>" + icon +
           "</PROGRAMICON></PROGRAM>\r\n";
}

inline std::string UserLine(const std::string& name, const std::string& id, const std::string& password,
                            const std::string& admin = "NO", const std::string& permitted = "")
{
    return "  <USER><USERNAME>" + name + "</USERNAME><USERID>" + id + "</USERID><USERPWD>" + password +
           "</USERPWD><USERADMIN>" + admin + "</USERADMIN><PROGRAMOK>" + permitted + "</PROGRAMOK></USER>\r\n";
}

inline std::string Document(const std::string& header, const std::string& programs, const std::string& users,
                            const std::string& mysql = "<MYSQL_DSN>mydsn</MYSQL_DSN><MYSQL_ROOT>root</MYSQL_ROOT><MYSQL_PWD>mypwd</MYSQL_PWD>",
                            const std::string& mssql = "<MSSQL_DSN>msdsn</MSSQL_DSN><MSSQL_ROOT>sa</MSSQL_ROOT><MSSQL_PWD>mspwd</MSSQL_PWD>")
{
    return "<MARVITELKON>\r\n<HEADER>" + header + "</HEADER>\r\n<MYSQL>" + mysql + "</MYSQL>\r\n<MSSQL>" + mssql +
           "</MSSQL>\r\n<PROGRAMS>\r\n" + programs + "</PROGRAMS>\r\n<USERS>\r\n" + users + "</USERS>\r\n</MARVITELKON>\r\n";
}
