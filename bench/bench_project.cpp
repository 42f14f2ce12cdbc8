// Save and load of a large song, against zlib alone on the same project text. The
// one-minute backup saves on the UI thread, so the save time is a UI stall.

#include "editor/session/BackupWriter.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "ports/NullMidiOut.h"
#include "storage/Project.h"
#include "support/BenchFolder.h"
#include "support/DenseSong.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace zelk {
namespace {

// The level GzipCompressor uses by default.
constexpr int kLevel = 1;

// One dense song and its folder, shared by all benchmarks of the run.
struct Fixture {
    Fixture() {
        bench::buildDenseSong(song, folder);
        song.FilePath = (dir / "dense.zelk").string();
        text = buildProjectText(song, folder);
        SaveProject(song, folder, gzip);
    }
    bench::BenchFolder tmp;
    const std::filesystem::path& dir = tmp.dir();
    AppFolder& folder = tmp.folder();
    Song song;
    GzipCompressor gzip{kLevel};
    NullMidiOut midi;
    std::string text;
    SaveBuffers buffers; // kept between saves, as the window keeps its own
};

Fixture& fixture() {
    static auto f = std::make_unique<Fixture>();
    return *f;
}

// zlib alone: one deflate of the whole text into a buffer that is already there.
size_t zlibCompress(const std::string& text, std::string& out) {
    z_stream s{};
    deflateInit2(&s, kLevel, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    if (out.size() < deflateBound(&s, static_cast<uLong>(text.size())))
        out.resize(deflateBound(&s, static_cast<uLong>(text.size())));
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    s.avail_in = static_cast<uInt>(text.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    const size_t n = s.total_out;
    deflateEnd(&s);
    return n;
}

size_t zlibExpand(std::string_view data, std::string& out) {
    z_stream s{};
    inflateInit2(&s, 15 + 16);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    inflate(&s, Z_FINISH);
    const size_t n = s.total_out;
    inflateEnd(&s);
    return n;
}

void setCounters(benchmark::State& state) {
    const auto& f = fixture();
    state.counters["text_MB"] = static_cast<double>(f.text.size()) / 1e6;
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(f.song.FilePath)) / 1e6;
}

void BM_SaveProject(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        SaveProject(f.song, f.folder, f.gzip, f.buffers);
    setCounters(state);
}

// The first save of a run: no buffers kept from an earlier one.
void BM_SaveProjectCold(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        SaveProject(f.song, f.folder, f.gzip);
}

void BM_BuildProjectText(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        buildProjectText(f.song, f.folder, f.buffers);
}

void BM_WriteProjectFile(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        writeProjectFile(f.song.FilePath, f.text, f.gzip);
}

void BM_LoadProject(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        LoadProject(f.song, f.folder, f.gzip, f.midi);
    setCounters(state);
}

void BM_ReadProjectFile(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(readProjectFile(f.song.FilePath, f.gzip));
}

void BM_ZlibCompressAlone(benchmark::State& state) {
    auto& f = fixture();
    std::string out;
    for (auto _ : state)
        benchmark::DoNotOptimize(zlibCompress(f.text, out));
}

void BM_ZlibExpandAlone(benchmark::State& state) {
    auto& f = fixture();
    std::string packed;
    packed.resize(zlibCompress(f.text, packed));
    std::string out(f.text.size(), '\0');
    for (auto _ : state)
        benchmark::DoNotOptimize(zlibExpand(packed, out));
}

void BM_GzipCompressorExpand(benchmark::State& state) {
    auto& f = fixture();
    const std::string packed = f.gzip.compress(f.text);
    for (auto _ : state)
        benchmark::DoNotOptimize(f.gzip.expand(packed, kMaxProjectText));
}

void BM_ParseProjectText(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(parseProjectText(f.text));
}

// The one-minute backup: what the window waits for (the text is built on its thread), and
// the whole backup including the worker's compression, write and fsync.
void BM_BackupUiThread(benchmark::State& state) {
    auto& f = fixture();
    BackupWriter backup{f.gzip};
    for (auto _ : state) {
        backup.start(f.song, f.folder);
        state.PauseTiming();
        backup.wait();
        backup.result();
        state.ResumeTiming();
    }
}

void BM_BackupWhole(benchmark::State& state) {
    auto& f = fixture();
    BackupWriter backup{f.gzip};
    for (auto _ : state) {
        backup.start(f.song, f.folder);
        backup.wait();
        benchmark::DoNotOptimize(backup.result());
    }
}

BENCHMARK(BM_BackupUiThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BackupWhole)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GzipCompressorExpand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseProjectText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveProjectCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildProjectText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteProjectFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompressAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadProjectFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibExpandAlone)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
