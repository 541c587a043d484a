// Captures every MessageBoxA of the test program while an instance lives: text, caption, style and
// owner are recorded and the box is answered without being shown. Works by replacing MessageBoxA in
// the program's own import table, so the product code stays as it is.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct CapturedMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

class MessageBoxCapture {
public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    const std::vector<CapturedMessageBox>& Boxes() const { return boxes; }
    size_t Count() const { return boxes.size(); }
    void Clear() { boxes.clear(); }
    // The answer each box gets (IDOK unless set).
    void AnswerWith(std::function<int(const CapturedMessageBox&)> answerer) { answer = std::move(answerer); }

private:
    static int WINAPI Replacement(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
    std::vector<CapturedMessageBox> boxes;
    std::function<int(const CapturedMessageBox&)> answer;
    void* original;
    MessageBoxCapture* outer;
};

// Replaces one imported function of the running program; returns the old address (null when the
// program does not import it). Used by the captures.
void* ReplaceImport(const char* dll, const char* function, void* replacement);
