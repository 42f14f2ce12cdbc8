// Recording figures: the rendering thread's cost of the WAV tap per block (against the block's
// duration), and the speed of the WMA conversion of a three-minute stereo recording.
#include "platform/FfmpegWmaEncoder.h"
#include "platform/WavRecorder.h"
#include "platform/WmaEncoding.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

using namespace zelk;

std::filesystem::path scratch() {
    auto dir = std::filesystem::temp_directory_path() / "zelk-bench-recording";
    std::filesystem::create_directories(dir);
    return dir;
}

// One block handed to the recorder as the rendering thread does, the writer thread running
// (converting to 22050 Hz mono, the costliest path for the writer, not for the tap).
void tapOneBlock(benchmark::State& state) {
    const auto frames = static_cast<std::size_t>(state.range(0));
    WavRecorder recorder(44100.0, scratch() / ".wav.part", [](AudioTap*) {});
    recorder.open({1, 22050, 44100, 2, 16});
    recorder.record();
    std::vector<float> l(frames), r(frames);
    for (std::size_t i = 0; i < frames; ++i)
        l[i] = r[i] = 0.3f * static_cast<float>(std::sin(i * 0.05));
    const double blockSeconds = static_cast<double>(frames) / 44100.0;
    for (auto _ : state) {
        recorder.takeOnAudioThread(l, r);
        // Keep pace with real time roughly, so the ring never fills.
        state.PauseTiming();
        std::this_thread::sleep_for(
            std::chrono::microseconds(static_cast<int>(blockSeconds * 2e5)));
        state.ResumeTiming();
    }
    recorder.close();
    state.counters["dropped"] = static_cast<double>(recorder.droppedFrames());
    state.counters["block_us"] = blockSeconds * 1e6;
}
BENCHMARK(tapOneBlock)->Arg(64)->Arg(512)->Iterations(5000)->Unit(benchmark::kMicrosecond);

void writeStereoWav(const std::filesystem::path& file, double seconds) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    const auto frames = static_cast<std::size_t>(seconds * 44100);
    std::vector<float> data(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        data[2 * i] = 0.3f * static_cast<float>(std::sin(i * 0.0627) * std::sin(i * 0.0001));
        data[2 * i + 1] = 0.3f * static_cast<float>(std::sin(i * 0.0411));
    }
    sf_writef_float(f, data.data(), static_cast<sf_count_t>(frames));
    sf_close(f);
}

void encodeThreeMinutes(benchmark::State& state) {
    const auto wav = scratch() / "three-minutes.wav";
    const auto wma = scratch() / "three-minutes.wma";
    writeStereoWav(wav, 180.0);
    const std::atomic<bool> cancel{false};
    for (auto _ : state) {
        const std::string failure = encodeWavToWma(wav, wma, {"t", "a", "c", "d"}, cancel);
        if (!failure.empty())
            state.SkipWithError(failure.c_str());
    }
    state.counters["x_realtime"] = benchmark::Counter(
        180.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    std::filesystem::remove_all(scratch());
}
BENCHMARK(encodeThreeMinutes)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
