// Loading a generated main database (10,000 components, 2,000 features in three levels, 20,000
// variables) into the database objects, against parsing the same text, copying every component
// definition from a package database into its main database stub, and looking variables up.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/VKClasses.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

constexpr int kComponents = 10000;
constexpr int kVariables = 20000;
constexpr int kTopFeatures = 20; // each with 9 children of 10 children: 2,000 features
constexpr int kPackages = 10;

// Every component is named by one feature; the features take them in turn.
int nextComponent = 0;

void AppendFeature(std::string& xml, const std::string& id, int level, const char* indent) {
    xml += Format("%s<feature id=\"%s\" name=\"Feature %s\" description=\"Installs the parts "
                  "of %s\"%s>\r\n%s  <components>\r\n",
                  indent, id.c_str(), id.c_str(), id.c_str(),
                  level == 1 ? "" : " condition=\"%OSType% = &quot;NT&quot;\"", indent);
    for (int i = 0; i < 5 && nextComponent < kComponents; ++i)
        xml += Format("%s    <component id=\"Comp%05d\"/>\r\n", indent, nextComponent++);
    xml += Format("%s  </components>\r\n", indent);
    int children = level == 1 ? 9 : level == 2 ? 10 : 0;
    if (children > 0) {
        xml += Format("%s  <features>\r\n", indent);
        std::string deeper = std::string(indent) + "    ";
        for (int c = 0; c < children; ++c)
            AppendFeature(xml, id + "_" + IntToStr(c), level + 1, deeper.c_str());
        xml += Format("%s  </features>\r\n", indent);
    }
    xml += Format("%s</feature>\r\n", indent);
}

std::string MakeMainDatabase() {
    std::string xml = "<?xml version=\"1.0\"?>\r\n<setup version=\"2.1\">\r\n  <variables>\r\n";
    for (int v = 0; v < kVariables; ++v) {
        if (v % 10 == 0)
            xml += Format("    <var name=\"RegVar%05d\" type=\"reg\" regkey=\"HKLM\\Software\\"
                          "Sample\\Product\" regparam=\"Setting%d\" defvalue=\"%d\"/>\r\n",
                          v, v, v);
        else
            xml += Format("    <var name=\"Var%05d\" value=\"%%ProgramFiles%%\\Sample\\Dir%d\"%s/>"
                          "\r\n",
                          v, v, v % 7 == 0 ? " condition=\"%OSType% = &quot;NT&quot;\"" : "");
    }
    xml += "  </variables>\r\n  <packages>\r\n";
    for (int p = 0; p < kPackages; ++p)
        xml += Format("    <package filename=\"pkg%02d\"/>\r\n", p);
    xml += "  </packages>\r\n  <components>\r\n";
    for (int c = 0; c < kComponents; ++c)
        xml += Format("    <component id=\"Comp%05d\" name=\"Component number %d\"%s/>\r\n", c, c,
                      c % 3 == 0 ? "" : Format(" package=\"pkg%02d\"", c % kPackages).c_str());
    xml += "  </components>\r\n  <features>\r\n";
    nextComponent = 0;
    for (int f = 0; f < kTopFeatures; ++f)
        AppendFeature(xml, "F" + IntToStr(f), 1, "    ");
    xml += "  </features>\r\n  <installtypes>\r\n";
    for (int t = 0; t < 3; ++t) {
        xml += Format("    <installtype id=\"type%d\" name=\"Type %d\"%s>\r\n      <features>\r\n",
                      t, t, t == 1 ? " default=\"1\"" : "");
        for (int f = 0; f < kTopFeatures; f += t + 1)
            xml += Format("        <feature id=\"F%d\"/>\r\n", f);
        xml += "      </features>\r\n    </installtype>\r\n";
    }
    xml += "  </installtypes>\r\n</setup>\r\n";
    return xml;
}

// The full definitions of the same components, as a package database carries them.
std::string MakePackageDatabase() {
    std::string xml = "<package filename=\"pkg00\">\r\n  <components>\r\n";
    for (int c = 0; c < kComponents; ++c) {
        xml += Format("    <component id=\"Comp%05d\">\r\n      <files>\r\n", c);
        for (int f = 0; f < 2; ++f)
            xml += Format("        <file src=\"c%d\\file%d.dll\" dst=\"%%AppDir%%\\file%d.dll\" "
                          "flags=\"shared,reg_server\"/>\r\n",
                          c, f, f);
        xml += Format("      </files>\r\n      <registry>\r\n        <reg key=\"HKLM\\Software\\"
                      "Sample\\Comp%d\" param=\"Path\" value=\"%%AppDir%%\"/>\r\n      </registry>"
                      "\r\n    </component>\r\n",
                      c);
    }
    xml += "  </components>\r\n</package>\r\n";
    return xml;
}

const std::string& MainText() {
    static const std::string text = MakeMainDatabase();
    return text;
}

std::unique_ptr<TXMLTag> Parse(const std::string& text) {
    TXMLParserOptions saved = XMLParserOptions;
    XMLParserOptions.KeepValueSpaces = true;
    auto root = std::make_unique<TXMLTag>();
    root->Parse(text);
    XMLParserOptions = saved;
    return root;
}

// A main database as start-up creates it, with the setup program's own package first.
std::unique_ptr<TvkMainDatabase> NewMainDatabase() {
    auto db = std::make_unique<TvkMainDatabase>(nullptr);
    db->Packages->AddNew()->FileName = "setup";
    return db;
}

void SetSize(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_Parse(benchmark::State& state) {
    const std::string& text = MainText();
    for (auto _ : state) {
        auto root = Parse(text);
        benchmark::DoNotOptimize(root->Children.Count());
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    SetSize(state, text.size());
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

// Merge of the parsed tree into the objects, the step after parsing.
void BM_Load(benchmark::State& state) {
    const std::string& text = MainText();
    auto root = Parse(text);
    for (auto _ : state) {
        state.PauseTiming();
        auto db = NewMainDatabase();
        state.ResumeTiming();
        db->Merge(*root);
        benchmark::DoNotOptimize(db->Components->Count());
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    SetSize(state, text.size());
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_ParseAndLoad(benchmark::State& state) {
    const std::string& text = MainText();
    for (auto _ : state) {
        auto db = NewMainDatabase();
        db->Merge(*Parse(text));
        benchmark::DoNotOptimize(db->Components->Count());
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    SetSize(state, text.size());
}
BENCHMARK(BM_ParseAndLoad)->Unit(benchmark::kMillisecond);

// Every main database stub receives its package component's definition (Assign from object).
// The definitions are paired with the stubs beforehand: only the copies are timed.
void BM_CopyComponents(benchmark::State& state) {
    auto package = std::make_unique<TvkPackage>(nullptr);
    package->Merge(*Parse(MakePackageDatabase()));
    const TvkComponents& definitions = *package->Components;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = NewMainDatabase();
        db->Merge(*Parse(MainText()));
        std::vector<std::pair<TvkComponent*, const TvkComponent*>> pairs;
        for (TvkComponent* stub : *db->Components)
            pairs.emplace_back(stub, definitions.FindByID(stub->ID()));
        state.ResumeTiming();
        for (auto [stub, definition] : pairs)
            stub->Assign(*definition);
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kComponents);
}
BENCHMARK(BM_CopyComponents)->Unit(benchmark::kMillisecond);

// Variable lookups by name in the loaded main database, as every %Name% reference makes them:
// names from all over the list, written in another case, and names that no variable has.
void BM_FindParam(benchmark::State& state) {
    auto db = NewMainDatabase();
    db->Merge(*Parse(MainText()));
    std::vector<std::string> names;
    for (int v = 0; v < kVariables; v += 97)
        names.push_back(UpperCase(Format(v % 10 == 0 ? "RegVar%05d" : "Var%05d", v)));
    names.push_back("ProgramFiles");
    names.push_back("Missing");
    const TvkVariables& variables = *db->Variables;
    for (auto _ : state)
        for (const std::string& name : names)
            benchmark::DoNotOptimize(variables.FindParam(name));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(names.size()));
}
BENCHMARK(BM_FindParam)->Unit(benchmark::kMicrosecond);

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Heap held by the text, the tree and the database objects while loading, once.
void BM_LoadMemory(benchmark::State& state) {
    for (auto _ : state) {
        size_t base = HeapInUse();
        auto text = std::make_unique<std::string>(MakeMainDatabase());
        text->shrink_to_fit();
        size_t withText = HeapInUse();
        double xml = double(text->size());
        auto root = Parse(*text);
        size_t withTree = HeapInUse();
        auto db = NewMainDatabase();
        db->Merge(*root);
        size_t peak = HeapInUse();
        root.reset();
        text.reset();
        size_t dbOnly = HeapInUse();
        state.counters["xml_MB"] = xml / 1e6;
        state.counters["tree_per_xml"] = double(withTree - withText) / xml;
        state.counters["objects_per_xml"] = double(dbOnly - base) / xml;
        state.counters["peak_per_xml"] = double(peak - base) / xml;
        state.counters["peak_MB"] = double(peak - base) / 1e6;
    }
}
BENCHMARK(BM_LoadMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velk

BENCHMARK_MAIN();
