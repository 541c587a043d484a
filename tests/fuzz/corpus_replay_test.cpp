// Every input of the committed fuzz corpora, run through its target's checks as an ordinary test, so
// that what the fuzzers once found stays fixed.
#include "tests/fuzz/fuzz_targets.h"
#include "tests/harness/test_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

typedef std::string (*Check)(const uint8_t* data, size_t size);

// Runs check over every file of the corpus folder (relative to the source tree); returns how many.
int Replay(const std::string& folder, Check check)
{
    std::string path = EnvironmentValue("MV_SOURCE_DIR", ".") + "/" + folder;
    int count = 0;
    for (const std::string& name : FilesIn(path)) {
        std::string bytes = ReadBytes(path + "/" + name);
        EXPECT_EQ(check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "") << folder << "/" << name;
        count++;
    }
    return count;
}

TEST(FuzzCorpusReplay, EveryCommittedInputPassesItsTargetsChecks)
{
    EXPECT_GT(Replay("tests/config/fuzz/corpus", DocumentReadersProblem), 5);
    EXPECT_GT(Replay("tests/fuzz/corpus/login_match", LoginMatchProblem), 5);
    EXPECT_GT(Replay("tests/fuzz/corpus/program_table", ProgramTableProblem), 5);
    EXPECT_GT(Replay("tests/fuzz/corpus/launch_command", LaunchCommandProblem), 5);
}

}  // namespace
