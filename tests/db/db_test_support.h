// Helpers of the connection and cursor tests: the "ODBC error" boxes a test provoked (with the mouse
// cursor set when each appeared), connections made as the server tools make them, rows as text.
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

// Boxes shown while an instance lives (answered with OK, never shown).
class OdbcBoxLog {
public:
    OdbcBoxLog()
    {
#ifdef _WIN32
        capture.AnswerWith([this](const CapturedMessageBox&) {
            arrows.push_back(GetCursor() == LoadCursorA(nullptr, IDC_ARROW));
            return IDOK;
        });
#endif
        Clear();
    }
    std::vector<OdbcBox> Boxes() const
    {
        std::vector<OdbcBox> boxes;
#ifdef _WIN32
        for (size_t i = 0; i < capture.Count(); i++) {
            const CapturedMessageBox& box = capture.Boxes()[i];
            boxes.push_back({box.text, box.caption, box.style, i < arrows.size() && arrows[i]});
        }
#else
        for (int i = 0; i < RecordedMessageBoxCount(); i++) {
            const RecordedMessageBox* box = RecordedMessageBoxAt(i);
            boxes.push_back({box->text, box->caption, box->style, box->cursor == LoadCursorA(nullptr, IDC_ARROW)});
        }
#endif
        return boxes;
    }
    size_t Count() const { return Boxes().size(); }
    // Forgets the boxes so far and sets no cursor, so only a box's own SetCursor makes an arrow.
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

// On the heap and initialised, as the server tools make their connections; not yet opened.
inline OdbcConnection* NewConnection(const std::string& dataSource, const std::string& user,
                                     const std::string& password, int manualCommit)
{
    OdbcConnection* connection = static_cast<OdbcConnection*>(malloc(sizeof(OdbcConnection)));
    return connection->Init(dataSource.c_str(), user.c_str(), password.c_str(), manualCommit);
}

// The current row's values joined by "|".
inline std::string CurrentRow(OdbcCursor* cursor)
{
    std::string row;
    for (int i = 1; i <= cursor->columnCount; i++) row += (i > 1 ? "|" : "") + std::string(cursor->ColumnByIndex(i));
    return row;
}

// The rows from the current one on, read the way the server tools read them.
inline std::vector<std::string> RemainingRows(OdbcCursor* cursor)
{
    std::vector<std::string> rows;
    for (; cursor->status == 0; cursor->Fetch(1)) rows.push_back(CurrentRow(cursor));
    return rows;
}
