#include <benchmark/benchmark.h>

#include "platform/encoding.h"

static void BM_Cp932ToUtf8(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "S12345\x82\xA0\x95\x5C ";
    for (auto _ : state) benchmark::DoNotOptimize(Cp932ToUtf8(text));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_Cp932ToUtf8);
