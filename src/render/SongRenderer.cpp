#include "render/SongRenderer.h"

#include "ports/SynthRenderer.h"
#include "render/NormalizingSink.h"
#include "render/RenderPlan.h"
#include "render/ScheduleRun.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace zelk {
namespace {

constexpr int64_t kBlockFrames = 1024;
constexpr int kTailSeconds = 3;
constexpr int kSilenceRunDivisor = 10; // a tenth of a second
// Below half a 16-bit step a sample is written as 0.
constexpr float kDigitalSilence = 0.5f / 32768.0f;
constexpr int kSeamDivisor = 50; // the seam's crossfade: a fiftieth of a second

class SongRenderer {
public:
    SongRenderer(const RenderPlan& plan, SynthRenderer& synth, AudioFileSink& sink,
                 RenderProgress* progress)
        : plan_(plan), synth_(synth), sink_(sink), progress_(progress),
          run_(plan.schedule, {.startFrame = 0, .loop = plan.loop.has_value(), .stopFrame = -1}),
          left_(kBlockFrames), right_(kBlockFrames) {}

    bool run() {
        if (plan_.loop)
            return loopedSong();
        total_ = plan_.lastNoteOffFrame + int64_t{kTailSeconds} * plan_.sampleRate;
        // Parts left out may leave nothing to play: the song's length is kept all the same.
        return advanceTo(plan_.lastNoteOffFrame) && tail();
    }

private:
    bool loopedSong() {
        const LoopFrames& loop = *plan_.loop;
        const int64_t length = loop.end - loop.start;
        const int64_t seam = std::min<int64_t>(plan_.sampleRate / kSeamDivisor, length);
        total_ = loop.end + length;
        keepFrom_ = 0;
        keepTo_ = loop.start;
        // The first pass's last frames are the true predecessors of the loop's first frame:
        // the second pass starts where the first ended.
        captureFrom_ = loop.end - seam;
        if (!advanceTo(loop.end))
            return false;
        const std::vector<float> firstPassEnd = std::exchange(captured_, {});
        keepFrom_ = loop.end;
        keepTo_ = total_ - seam;
        captureFrom_ = keepTo_;
        // The run has wrapped at the loop end: the second pass, from the first pass's state.
        if (!advanceTo(total_))
            return false;
        writeSeam(firstPassEnd);
        return true;
    }

    // The file's last frames fade from the second pass into the first pass's end, the same
    // music one pass earlier, so the last frame is followed, across the wrap, by the frame
    // that followed it when rendered: no step at the seam, whatever chorus phase or
    // reverb tail the passes differ in.
    void writeSeam(const std::vector<float>& firstPassEnd) {
        const size_t n = captured_.size();
        const size_t frames = n / static_cast<size_t>(plan_.channels);
        out_.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const float w = static_cast<float>(i / plan_.channels + 1) / static_cast<float>(frames);
            out_[i] = captured_[i] * (1.0f - w) + firstPassEnd[i] * w;
        }
        sink_.write(out_);
    }

    // Renders the synthesizer's time up to `frame`, writing what lies in the kept range.
    bool advanceTo(int64_t frame) {
        while (now_ < frame) {
            const int64_t n = std::min(kBlockFrames, frame - now_);
            renderBlock(n);
            const int64_t from = std::max(now_, keepFrom_);
            const int64_t to = std::min(now_ + n, keepTo_);
            if (from < to)
                writeFrames(from - now_, to - from);
            for (int64_t i = std::max(now_, captureFrom_); i < now_ + n; ++i)
                frameAt(i - now_, captured_);
            now_ += n;
            if (progress_ && !progress_->keepGoing(now_, total_))
                return false;
        }
        return true;
    }

    // The schedule's messages go out at their frames inside the block, as in playback.
    void renderBlock(int64_t n) {
        run_.advanceOnAudioThread(synth_, std::span(left_).first(static_cast<size_t>(n)),
                                  std::span(right_).first(static_cast<size_t>(n)));
    }

    void frameAt(int64_t i, std::vector<float>& out) const {
        const auto k = static_cast<size_t>(i);
        if (plan_.channels == 1) {
            out.push_back(0.5f * (left_[k] + right_[k]));
        } else {
            out.push_back(left_[k]);
            out.push_back(right_[k]);
        }
    }

    void writeFrames(int64_t first, int64_t count) {
        out_.clear();
        for (int64_t i = first; i < first + count; ++i)
            frameAt(i, out_);
        sink_.write(out_);
    }

    // The release after the last note-off: loud frames are written, silent ones wait until
    // a loud one follows; a tenth of a second of them ends the file where they began.
    bool tail() {
        const int64_t end = plan_.lastNoteOffFrame + int64_t{kTailSeconds} * plan_.sampleRate;
        const int64_t silenceRun = plan_.sampleRate / kSilenceRunDivisor;
        std::vector<float> pending;
        int64_t pendingFrames = 0;
        while (now_ < end) {
            const int64_t n = std::min(kBlockFrames, end - now_);
            renderBlock(n);
            out_.clear();
            for (int64_t i = 0; i < n; ++i) {
                frameAt(i, pending);
                const bool silent =
                    std::all_of(pending.end() - plan_.channels, pending.end(),
                                [](float x) { return std::fabs(x) < kDigitalSilence; });
                if (!silent) { // the waiting frames were a pause, not the end
                    out_.insert(out_.end(), pending.begin(), pending.end());
                    pending.clear();
                    pendingFrames = 0;
                } else if (++pendingFrames >= silenceRun) {
                    sink_.write(out_);
                    return true;
                }
            }
            sink_.write(out_);
            now_ += n;
            if (progress_ && !progress_->keepGoing(now_, total_))
                return false;
        }
        return true;
    }

    const RenderPlan& plan_;
    SynthRenderer& synth_;
    AudioFileSink& sink_;
    RenderProgress* progress_;
    ScheduleRun run_;
    std::vector<float> left_, right_, out_;
    int64_t now_ = 0; // frames the synthesizer has rendered
    int64_t total_ = 0;
    int64_t keepFrom_ = 0; // frames of the synthesizer's time that go into the file
    int64_t keepTo_ = std::numeric_limits<int64_t>::max();
    // Frames from here on are also kept aside (the seam's crossfade).
    int64_t captureFrom_ = std::numeric_limits<int64_t>::max();
    std::vector<float> captured_;
};

} // namespace

bool renderPlan(const RenderPlan& plan, SynthRenderer& synth, AudioFileSink& sink,
                RenderProgress* progress) {
    return SongRenderer(plan, synth, sink, progress).run();
}

bool renderToFile(const RenderPlan& plan, AudioFileFormat format, const std::filesystem::path& path,
                  SynthRenderer& synth, AudioFileWriter& writer, RenderProgress* progress) {
    std::unique_ptr<AudioFileSink> sink = writer.open(path, plan.fileSpec(format));
    if (plan.normalize)
        sink = std::make_unique<NormalizingSink>(std::move(sink));
    if (!renderPlan(plan, synth, *sink, progress))
        return false;
    sink->commit();
    return true;
}

} // namespace zelk
