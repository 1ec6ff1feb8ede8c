// Start-up cost of the definition file: loading a full file of 1000 definitions in the three
// binding forms, from memory and from disk.

#include "cockpit/definition_file.h"
#include "platform/message_box.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

class SilentBoxes : public gb::platform::MessageBoxResponder {
public:
    int answer(gb::platform::WindowHandle, const char*, const char*, unsigned style) override {
        return gb::platform::defaultButton(style);
    }
};

// 1000 definition lines plus headers and comments, as a user's full file would look.
std::string fullFile() {
    std::string text = "# generated: 1000 definitions\n";
    for (int i = 0; i < 1000; ++i) {
        if (i % 100 == 0) text += i % 200 == 0 ? "[Eyebrow Lights]\n" : "[Primary Data]\n";
        const bool analog = (i / 100) % 2 == 1;
        const int n = i % 256;
        if (analog) {
            text += "KIAS = " + std::to_string(n) + ",2,0.5,-3   # speed\n";
        } else if (i % 2 == 0) {
            text +=
                "MasterCaution=c," + std::to_string(n) + "," + std::to_string((n + 1) % 256) + "\n";
        } else {
            text += "@TFFail=" + std::to_string(n) + ",1,0b00010000\n";
        }
    }
    return text;
}

void BM_ParseThousandDefinitionsFromMemory(benchmark::State& state) {
    SilentBoxes boxes;
    gb::platform::setMessageBoxResponder(&boxes);
    const std::string text = fullFile();
    for (auto _ : state) {
        gb::DefinitionList list;
        const int count = gb::parseDefinitionText(list, text.data(), text.size());
        if (count != 1000) state.SkipWithError("file did not load");
        benchmark::DoNotOptimize(list.items[999]);
    }
    gb::platform::setMessageBoxResponder(nullptr);
}
BENCHMARK(BM_ParseThousandDefinitionsFromMemory)->Unit(benchmark::kMicrosecond);

void BM_ParseThousandDefinitionsFromFile(benchmark::State& state) {
    SilentBoxes boxes;
    gb::platform::setMessageBoxResponder(&boxes);
    const std::string text = fullFile();
    const std::string path = "definition_bench.ini";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        state.SkipWithError("cannot write the file");
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    for (auto _ : state) {
        gb::DefinitionList list;
        if (gb::parseDefinitionFile(list, path.c_str()) != 1000)
            state.SkipWithError("file did not load");
        benchmark::DoNotOptimize(list.items[999]);
    }
    std::remove(path.c_str());
    gb::platform::setMessageBoxResponder(nullptr);
}
BENCHMARK(BM_ParseThousandDefinitionsFromFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
