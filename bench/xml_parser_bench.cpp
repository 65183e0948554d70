// Parsing speed on a generated install database of about 20 MB: components with attribute-rich
// file, registry and shortcut items, nesting, indentation, some text and comments.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "database/epXMLParser.h"
#include "platform/StrUtils.h"

namespace velk {
namespace {

constexpr size_t kTargetSize = 20 * 1024 * 1024;

std::string MakeDatabase() {
    std::string xml;
    xml.reserve(kTargetSize + 4096);
    xml += "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
           "<!-- generated install database -->\r\n"
           "<database version=\"2.1\" appname=\"Sample &#x26; Co\" languages=\"1033,1031\">\r\n"
           "  <variables>\r\n";
    for (int v = 0; v < 200; ++v)
        xml += Format("    <variable name=\"Var%d\" value=\"Value %d  with  blanks\"/>\r\n", v, v);
    xml += "  </variables>\r\n  <components>\r\n";
    for (int c = 0; xml.size() < kTargetSize; ++c) {
        xml += Format("    <component id=\"Comp%d\" caption=\"Component %d\" size=\"%d\" "
                      "condition=\"(%%OSType%% = &quot;NT&quot;) and %%Selected%%\">\r\n"
                      "      <!-- files of component %d -->\r\n"
                      "      <description>Files and settings of component %d.</description>\r\n"
                      "      <files>\r\n",
                      c, c, 1000 + c * 7, c, c);
        for (int f = 0; f < 12; ++f)
            xml +=
                Format("        <file src=\"c%d\\file%d.dll\" dst=\"%%AppDir%%\\bin\\file%d.dll\" "
                       "overwrite=\"newer\" shared=\"%d\" register=\"0\" "
                       "version=\"1.2.%d.%d\" attributes=\"&#x41;rchive\"/>\r\n",
                       c, f, f, f % 2, c % 100, f);
        xml += "      </files>\r\n      <registry>\r\n";
        for (int r = 0; r < 4; ++r)
            xml += Format("        <value key=\"HKLM\\Software\\Sample\\Comp%d\" name=\"Item%d\" "
                          "type=\"string\" data=\"%%AppDir%%\\data%d\"/>\r\n",
                          c, r, r);
        xml += Format("      </registry>\r\n"
                      "      <shortcut folder=\"%%Programs%%\\Sample\" name=\"Tool %d\" "
                      "target=\"%%AppDir%%\\tool%d.exe\">Starts tool %d</shortcut>\r\n"
                      "    </component>\r\n",
                      c, c, c);
    }
    xml += "  </components>\r\n</database>\r\n";
    return xml;
}

const std::string& Database() {
    static const std::string text = MakeDatabase();
    return text;
}

enum class TFree { Untimed, Timed };

// setup builds the tree once and frees it in its clean-up; freeing is measured on its own.
void ParseDatabase(benchmark::State& state, TXMLParserOptions options, TFree free) {
    const std::string& text = Database();
    TXMLParserOptions saved = XMLParserOptions;
    XMLParserOptions = options;
    for (auto _ : state) {
        auto root = std::make_unique<TXMLTag>();
        root->Parse(text);
        benchmark::DoNotOptimize(root->Children.Count());
        if (free == TFree::Untimed)
            state.PauseTiming();
        root.reset();
        if (free == TFree::Untimed)
            state.ResumeTiming();
    }
    XMLParserOptions = saved;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["MB"] = double(text.size()) / 1e6;
}

TXMLParserOptions SetupOptions() {
    TXMLParserOptions options;
    options.KeepValueSpaces = true;
    return options;
}

void BM_Parse(benchmark::State& state) {
    ParseDatabase(state, SetupOptions(), TFree::Untimed);
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

void BM_ParseAndFree(benchmark::State& state) {
    ParseDatabase(state, SetupOptions(), TFree::Timed);
}
BENCHMARK(BM_ParseAndFree)->Unit(benchmark::kMillisecond);

void BM_ParseWithoutTextOrComments(benchmark::State& state) {
    TXMLParserOptions options = SetupOptions();
    options.NoTextNodes = true;
    options.NoCommentNodes = true;
    ParseDatabase(state, options, TFree::Untimed);
}
BENCHMARK(BM_ParseWithoutTextOrComments)->Unit(benchmark::kMillisecond);

void BM_ParseKeepTextSpaces(benchmark::State& state) {
    TXMLParserOptions options = SetupOptions();
    options.KeepTextSpaces = true;
    ParseDatabase(state, options, TFree::Untimed);
}
BENCHMARK(BM_ParseKeepTextSpaces)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velk

BENCHMARK_MAIN();
