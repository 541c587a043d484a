// Fuzz target over the readers of the configuration document: the login match, the program table,
// the editor's model, and the rewrite with its reload (see tests/config/reader_checks.h). The input
// is the unscrambled document; like the login's reader it ends at its first zero byte.
#include "tests/config/reader_checks.h"
#include "tests/fuzz/fuzz_targets.h"

std::string DocumentReadersProblem(const uint8_t* data, size_t size)
{
    return CheckDocumentReaders(DocumentText(data, size).c_str());
}

MV_FUZZ_ENTRY(DocumentReadersProblem)
