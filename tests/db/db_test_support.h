// Helpers of the connection and cursor tests: the "ODBC error" boxes a test provoked (with the mouse
// cursor that was set when each appeared), connections on the heap as the callers make them, and a
// few readers of cursors.
#pragma once

#include "db/odbc_api.h"
#include "db/odbc_connection.h"
#include "db/odbc_cursor.h"
#include "tests/db/test_server.h"

#ifdef _WIN32
#include "tests/harness/message_box_capture.h"
#endif

#include <stdlib.h>

#include <string>
#include <vector>

struct OdbcBox {
    std::string text;
    std::string caption;
    unsigned style;
    bool arrowCursor;  // the standard arrow was the mouse cursor when the box appeared
};

// Boxes shown while an instance lives (answered with OK, never shown on screen).
class OdbcBoxLog {
public:
    OdbcBoxLog()
    {
#ifdef _WIN32
        capture.AnswerWith([this](const CapturedMessageBox&) {
            arrows.push_back(GetCursor() == LoadCursorA(nullptr, IDC_ARROW));
            return IDOK;
        });
#else
        ClearRecordedMessageBoxes();
#endif
        SetCursor(nullptr);  // so that only the box's own SetCursor can make it an arrow
    }
    std::vector<OdbcBox> Boxes() const
    {
        std::vector<OdbcBox> boxes;
#ifdef _WIN32
        const std::vector<CapturedMessageBox>& captured = capture.Boxes();
        for (size_t i = 0; i < captured.size(); i++)
            boxes.push_back({captured[i].text, captured[i].caption, captured[i].style, i < arrows.size() && arrows[i]});
#else
        for (int i = 0; i < RecordedMessageBoxCount(); i++) {
            const RecordedMessageBox* box = RecordedMessageBoxAt(i);
            boxes.push_back({box->text, box->caption, box->style, box->cursor == LoadCursorA(nullptr, IDC_ARROW)});
        }
#endif
        return boxes;
    }
    size_t Count() const { return Boxes().size(); }
    void Clear()
    {
#ifdef _WIN32
        capture.Clear();
        arrows.clear();
#else
        ClearRecordedMessageBoxes();
#endif
        SetCursor(nullptr);
    }

private:
#ifdef _WIN32
    MessageBoxCapture capture;
    std::vector<bool> arrows;
#endif
};

// A connection made the way the server tools make theirs: on the heap, Init, Open.
inline OdbcConnection* NewConnection(const std::string& dataSource, const std::string& user,
                                     const std::string& password, int manualCommit)
{
    OdbcConnection* connection = static_cast<OdbcConnection*>(malloc(sizeof(OdbcConnection)));
    return connection->Init(dataSource.c_str(), user.c_str(), password.c_str(), manualCommit);
}

// Every row of a cursor from the current one on, as "value|value|..." lines.
inline std::vector<std::string> RemainingRows(OdbcCursor* cursor)
{
    std::vector<std::string> rows;
    while (cursor->status == 0) {
        std::string row;
        for (int i = 1; i <= cursor->columnCount; i++) row += (i > 1 ? "|" : "") + std::string(cursor->ColumnByIndex(i));
        rows.push_back(row);
        cursor->Fetch(1);
    }
    return rows;
}

// The values of the current row, "|"-joined.
inline std::string CurrentRow(OdbcCursor* cursor)
{
    std::string row;
    for (int i = 1; i <= cursor->columnCount; i++) row += (i > 1 ? "|" : "") + std::string(cursor->ColumnByIndex(i));
    return row;
}

// Binds the driver manager for a test that connects (and keeps it mapped, see test_server.h).
inline bool BindDriverManager()
{
    KeepOdbcLibrariesMapped();
    return LoadOdbcApi() != 0;
}
