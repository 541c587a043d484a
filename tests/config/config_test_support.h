// Helpers of the configuration tests: models, their document texts, and the message boxes a test
// provoked in either build. Documents and their on-disk form come from tests/harness/test_documents.h.
#pragma once

#include "config/config_document.h"
#include "support/bounded_text.h"
#include "support/platform.h"
#include "tests/harness/test_documents.h"

#ifdef _WIN32
#include "tests/harness/message_box_capture.h"
#endif

#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

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
