// Reads of INI values by file name through the cache once the file is loaded: 10,000 keys in
// 100 sections, visited section by section and in random order.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/epRegIni.h"

namespace {

using Lookups = std::vector<std::pair<std::string, std::string>>;

constexpr int Sections = 100;
constexpr int KeysPerSection = 100;
// Relative and already upper-case, so that the cache's upper-cased name is this very file.
const std::string FileName = "./BENCH.INI";

std::string SectionName(int s) {
    return "Section" + std::to_string(s);
}
std::string KeyName(int k) {
    return "Key" + std::to_string(k);
}
std::string Value(int s, int k) {
    return "value " + std::to_string(s * KeysPerSection + k);
}

// Writes the file into a scratch folder made current and loads it through the cache.
class TIniFixture {
public:
    TIniFixture() {
        char pattern[] = "/tmp/velk-inibench.XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        dir_ = pattern;
        std::filesystem::current_path(dir_);
        std::ofstream out(FileName, std::ios::binary);
        for (int s = 0; s < Sections; ++s) {
            out << "[" << SectionName(s) << "]\r\n";
            for (int k = 0; k < KeysPerSection; ++k)
                out << KeyName(k) << "=" << Value(s, k) << "\r\n";
        }
        out.close();
        for (int s = 0; s < Sections; ++s)
            for (int k = 0; k < KeysPerSection; ++k) {
                InOrder.emplace_back(SectionName(s), KeyName(k));
                if (velk::IniReadString(FileName, SectionName(s), KeyName(k), "") != Value(s, k)) {
                    std::fprintf(stderr, "wrong value for %s/%s\n", SectionName(s).c_str(),
                                 KeyName(k).c_str());
                    std::abort();
                }
            }
        Shuffled = InOrder;
        std::shuffle(Shuffled.begin(), Shuffled.end(), std::mt19937(42));
    }
    ~TIniFixture() {
        velk::FlushIniFiles();
        std::filesystem::current_path("/");
        std::filesystem::remove_all(dir_);
    }

    Lookups InOrder, Shuffled;

private:
    std::string dir_;
};

TIniFixture& Fixture() {
    static TIniFixture fixture;
    return fixture;
}

void RunReads(benchmark::State& state, const Lookups& lookups) {
    const std::string fallback = "missing";
    size_t i = 0;
    for (auto _ : state) {
        const auto& [section, key] = lookups[i];
        benchmark::DoNotOptimize(velk::IniReadString(FileName, section, key, fallback));
        if (++i == lookups.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_IniReadSectionBySection(benchmark::State& state) {
    RunReads(state, Fixture().InOrder);
}
void BM_IniReadRandomOrder(benchmark::State& state) {
    RunReads(state, Fixture().Shuffled);
}

BENCHMARK(BM_IniReadSectionBySection);
BENCHMARK(BM_IniReadRandomOrder);

} // namespace

BENCHMARK_MAIN();
