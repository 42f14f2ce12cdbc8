// Export of the dense song (16 parts, 300 measures) as a Standard MIDI File, against
// reading the same sixteen work files line by line and nothing more. The writer reads
// every part from its work file, so the plain read is the floor it is measured against.

#include "files/TextLines.h"
#include "midi/MidiExportOptions.h"
#include "midi/WriteMidiFile.h"
#include "model/AppFolder.h"
#include "model/Limits.h"
#include "model/Song.h"
#include "platform/IconvShiftJis.h"
#include "ports/NullMidiOut.h"
#include "support/BenchFolder.h"
#include "support/DenseSong.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace zelk {
namespace {

struct Fixture {
    Fixture() { bench::buildDenseSong(song, folder); }
    bench::BenchFolder tmp;
    const std::filesystem::path& dir = tmp.dir();
    AppFolder& folder = tmp.folder();
    Song song;
    IconvShiftJis sjis;
    NullMidiOut midi;
};

Fixture& fixture() {
    static auto f = std::make_unique<Fixture>();
    return *f;
}

void BM_ReadWorkFilesLineByLine(benchmark::State& state) {
    Fixture& f = fixture();
    size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        for (int p = 0; p < kParts; ++p) {
            const std::string text = readWholeFile(f.folder.workFile(p));
            LineCursor cursor(text);
            std::string_view line;
            while (cursor.next(line)) {
                benchmark::DoNotOptimize(line.data());
                ++lines;
            }
        }
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ReadWorkFilesLineByLine)->Unit(benchmark::kMillisecond);

void BM_ExportDenseSong(benchmark::State& state) {
    Fixture& f = fixture();
    const auto target = f.dir / "dense.mid";
    for (auto _ : state)
        WriteMidiFile(f.song, f.folder, f.midi, f.sjis, target, MidiExportOptions::forExport());
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target));
}
BENCHMARK(BM_ExportDenseSong)->Unit(benchmark::kMillisecond);

// Prints the export's cost in multiples of the plain read after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Single runs, or the median when the run is repeated.
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            std::string name = r.benchmark_name();
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (median)
                name = name.substr(0, name.size() - std::string("_median").size());
            if (median || r.run_type == Run::RT_Iteration)
                realMs_[name] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto read = realMs_.find("BM_ReadWorkFilesLineByLine");
        const auto exp = realMs_.find("BM_ExportDenseSong");
        if (read != realMs_.end() && exp != realMs_.end() && read->second > 0)
            std::printf("export / plain read: %.2f\n", exp->second / read->second);
    }

private:
    std::map<std::string, double> realMs_;
};

} // namespace
} // namespace zelk

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    zelk::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
