// The fuzz targets' checks, one function each: given one input, an empty text when everything that
// must hold held, otherwise what failed. libFuzzer runs them through LLVMFuzzerTestOneInput
// (scripts/fuzz.sh); the corpus replay test runs them over the committed corpora.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// The unscrambled document, ending at its first zero byte: every reader of it (tests/config/fuzz).
std::string DocumentReadersProblem(const uint8_t* data, size_t size);
// Line 1 the typed user ID, line 2 the typed password, the rest the document.
std::string LoginMatchProblem(const uint8_t* data, size_t size);
// The document before two well-formed program records.
std::string ProgramTableProblem(const uint8_t* data, size_t size);
// Byte 0 chooses the command buffer's size; then path, alias, user ID and password, one a line.
std::string LaunchCommandProblem(const uint8_t* data, size_t size);

// Splits off the text up to the next line feed (or the end), moving data and size past it.
std::string TakeLine(const uint8_t** data, size_t* size);
// The input as a zero-terminated text that ends at its first zero byte, as the login reads it.
std::string DocumentText(const uint8_t* data, size_t size);

// The libFuzzer entry of a target; the replay test defines MV_FUZZ_REPLAY and calls the checks itself.
#ifdef MV_FUZZ_REPLAY
#define MV_FUZZ_ENTRY(check)
#else
#include <stdio.h>
#include <stdlib.h>
#define MV_FUZZ_ENTRY(check)                                                   \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)    \
    {                                                                          \
        std::string problem = check(data, size);                               \
        if (!problem.empty()) {                                                \
            fprintf(stderr, "fuzz check failed: %s\n", problem.c_str());       \
            abort();                                                           \
        }                                                                      \
        return 0;                                                              \
    }
#endif
