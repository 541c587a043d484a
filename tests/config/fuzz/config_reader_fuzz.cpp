// libFuzzer target over the readers of the configuration document (scripts/fuzz-config.sh builds
// and runs it). The input is the unscrambled document; like the login's reader it ends at its first
// zero byte.
#include "tests/config/reader_checks.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* document = static_cast<char*>(malloc(size + 1));
    if (!document) return 0;
    memcpy(document, data, size);
    document[size] = '\0';
    std::string problem = CheckDocumentReaders(document);
    free(document);
    if (!problem.empty()) {
        fprintf(stderr, "config reader check failed: %s\n", problem.c_str());
        abort();
    }
    return 0;
}
