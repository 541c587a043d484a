// Timings for the largest document the limits allow: 100 programs with every field at its limit and
// 100 users with every field at its limit and 1000-character permitted lists.
#include "config/config_document.h"
#include "config/scrambled_file.h"
#include "support/process_state.h"
#include "config/session.h"
#include "support/bounded_text.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

std::string Filled(const std::string& prefix, int index, size_t length, char fill)
{
    std::string value = prefix + std::to_string(index);
    value.resize(length, fill);
    return value;
}

void FillLargestModel(ConfigModel* model)
{
    memset(model, 0, sizeof *model);
    CopyText(model->header, Filled("Fejléc", 0, 255, 'h').c_str());
    ServerCredentials* servers[] = {&model->mysql, &model->sqlServer};
    for (ServerCredentials* s : servers) {
        CopyText(s->dataSource, Filled("dsn", 0, 100, 'd').c_str());
        CopyText(s->user, Filled("user", 0, 100, 'u').c_str());
        CopyText(s->password, Filled("pwd", 0, 100, 'p').c_str());
    }
    for (int i = 0; i < maxConfigRecords; i++) {
        ProgramRecord& p = model->programRecords[i];
        CopyText(p.id, Filled("G", i, 16, 'g').c_str());
        CopyText(p.description, Filled("Leírás ", i, 120, 'l').c_str());
        CopyText(p.fullPath, Filled("C:\\Programok\\", i, 260, 'f').c_str());
        CopyText(p.alias, Filled("ALIAS", i, 60, 'a').c_str());
        CopyText(p.iconFile, Filled("ikon", i, 260, 'i').c_str());
        UserRecord& u = model->userRecords[i];
        CopyText(u.name, Filled("Felhasználó ", i, 100, 'n').c_str());
        CopyText(u.id, Filled("U", i, 16, 'U').c_str());
        CopyText(u.password, Filled("W", i, 16, 'W').c_str());
        std::string permitted;
        for (int p = 0; permitted.size() + 17 <= 1000; p++) permitted += Filled("G", p, 16, 'g') + ";";
        permitted.resize(1000, 'x');
        CopyText(u.permittedPrograms, permitted.c_str());
        u.isAdmin = i == 0;
    }
    model->programRecordCount = maxConfigRecords;
    model->userRecordCount = maxConfigRecords;
}

// The largest document, as text and as the scrambled file in a directory of its own.
struct Fixture {
    std::string text;
    char directory[64];

    Fixture()
    {
        FillLargestModel(&configModel);
        char* built = BuildConfigDocument(&configModel);
        text = built;
        free(built);
        snprintf(directory, sizeof directory, "/tmp/mvbench-XXXXXX");
        if (!mkdtemp(directory)) abort();
        CopyText(startDirectory, directory);
        if (!SaveConfigDocument()) abort();
    }
    ~Fixture()
    {
        ReplaceDocumentText(nullptr);
        std::string ini = std::string(directory) + "/Marvitelkon.ini";
        unlink(ini.c_str());
        rmdir(directory);
    }
};

Fixture& Document()
{
    static Fixture fixture;
    return fixture;
}

void UnscrambleAndLoad(benchmark::State& state)
{
    Fixture& f = Document();
    SetCurrentDirectoryA(startDirectory);
    for (auto _ : state) {
        ScrambledFile file;
        file.Init(configFileName);
        file.SetKey(configurationKey);
        if (!file.Open(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS,
                       FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL))
            abort();
        DWORD size = file.Size();
        char* text = static_cast<char*>(malloc(size + 1));
        DWORD read = 0;
        file.Read(text, size, &read);
        text[read] = '\0';
        file.Destroy(2);
        benchmark::DoNotOptimize(text);
        free(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.text.size()));
    state.counters["document_bytes"] = static_cast<double>(f.text.size());
}

void LoginScanOfTheLastUser(benchmark::State& state)
{
    Fixture& f = Document();
    const UserRecord& last = configModel.userRecords[maxConfigRecords - 1];
    Session target;
    memset(&target, 0, sizeof target);
    for (auto _ : state) {
        if (!MatchLoginUser(f.text.c_str(), last.id, last.password, &target)) abort();
        benchmark::DoNotOptimize(target.programs);
    }
    free(target.programs);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.text.size()));
}

void LoadModel(benchmark::State& state)
{
    Fixture& f = Document();
    ConfigModel* model = static_cast<ConfigModel*>(malloc(sizeof(ConfigModel)));
    for (auto _ : state) {
        LoadConfigModelFrom(model, f.text.c_str());
        benchmark::DoNotOptimize(model->userRecordCount);
    }
    free(model);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.text.size()));
}

void BuildDocument(benchmark::State& state)
{
    Fixture& f = Document();
    for (auto _ : state) {
        char* text = BuildConfigDocument(&configModel);
        benchmark::DoNotOptimize(text);
        free(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.text.size()));
}

void BuildAndSaveDocument(benchmark::State& state)
{
    Fixture& f = Document();
    for (auto _ : state)
        if (!SaveConfigDocument()) abort();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.text.size()));
}

BENCHMARK(UnscrambleAndLoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoginScanOfTheLastUser)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadModel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BuildDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BuildAndSaveDocument)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
