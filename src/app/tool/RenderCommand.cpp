#include "Tool.h"

#include "MidiInput.h"
#include "files/TextLines.h"
#include "model/Song.h"
#include "platform/EncodedAudioFileWriter.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/IconvShiftJis.h"
#include "platform/SoundFontLookup.h"
#include "ports/NullMidiOut.h"
#include "render/RenderPlan.h"
#include "render/SongRenderer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>
#include <thread>
#include <unistd.h>

namespace zelk::tool {
namespace {

// FluidSynth renders the voices on every core, as a batch job may ($ZELK_RENDER_CORES
// sets another count).
int renderCores() {
    if (const char* env = std::getenv("ZELK_RENDER_CORES"))
        if (const auto n = parseInteger(env); n && *n >= 1 && *n <= 64)
            return static_cast<int>(*n);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

struct RenderRequest {
    std::string in;
    std::string out;
    AudioFileFormat format = AudioFileFormat::Wav;
    RenderOptions options;
    std::optional<std::filesystem::path> soundFont;
};

std::string extensionOf(AudioFileFormat f) {
    return f == AudioFileFormat::Wav ? "wav" : f == AudioFileFormat::Ogg ? "ogg" : "flac";
}

// The finished file's bytes on standard output (the encoders need a file to seek in).
void copyToStandardOutput(const std::filesystem::path& file, std::ostream& out) {
    std::ifstream in(file, std::ios::binary);
    out << in.rdbuf();
    out.flush();
    if (!in || !out)
        throw std::runtime_error("cannot write to standard output");
}

int rateOf(const std::string& text) {
    const int rate = wholeNumber(text, "rate");
    if (rate != 44100 && rate != 48000 && rate != 22050)
        throw UsageError("--rate must be 44100, 48000 or 22050");
    return rate;
}

RenderRequest parseArgs(const std::vector<std::string>& args) {
    RenderRequest req;
    const SplitArgs split = splitArgs(args, {"--rate", "--soundfont", "--parts", "--format"},
                                      {"--mono", "--no-loop", "--normalize"});
    std::optional<AudioFileFormat> named;
    for (const auto& [name, value] : split.options) {
        if (name == "--rate") {
            req.options.sampleRate = rateOf(value);
        } else if (name == "--soundfont") {
            req.soundFont = value;
        } else if (name == "--parts") {
            const auto parts = partList(value);
            for (size_t p = 0; p < parts.size(); ++p)
                req.options.parts[p] = parts[p] == 1;
        } else if (name == "--format") {
            named = audioFormatOfPath("x." + value);
            if (!named)
                throw UsageError("--format must be wav, ogg or flac");
        } else if (name == "--mono") {
            req.options.mono = true;
        } else if (name == "--normalize") {
            req.options.normalize = true;
        } else {
            req.options.loop = false; // --no-loop
        }
    }
    if (split.operands.size() != 2)
        throw UsageError("expects IN.zelk|IN.mid OUT.wav|OUT.ogg|OUT.flac");
    req.in = split.operands[0];
    req.out = split.operands[1];
    const auto format = named ? named : audioFormatOfPath(req.out);
    if (!format)
        throw UsageError(req.out == "-" ? "standard output needs --format wav|ogg|flac"
                                        : "the output's name must end in .wav, .ogg or .flac "
                                          "(or give --format)");
    req.format = *format;
    return req;
}

// A percentage on stderr once a render has taken a second: rewritten in place on a
// terminal, a line every tenth otherwise.
class StderrProgress : public RenderProgress {
public:
    explicit StderrProgress(std::ostream& err) : err_(err), tty_(isatty(STDERR_FILENO) == 1) {}
    ~StderrProgress() override {
        if (shown_ >= 0 && tty_)
            err_ << "\n";
    }

    bool keepGoing(int64_t done, int64_t total) override {
        if (std::chrono::steady_clock::now() - started_ < std::chrono::seconds(1) || total <= 0)
            return true;
        const auto percent = static_cast<int>(100 * done / total);
        const int step = tty_ ? 1 : 10;
        if (percent / step != shown_ / step || shown_ < 0) {
            err_ << (tty_ ? "\r" : "") << "rendering: " << percent << "%" << (tty_ ? "" : "\n")
                 << std::flush;
            shown_ = percent;
        }
        return true;
    }

private:
    std::ostream& err_;
    bool tty_;
    int shown_ = -1;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

int runRender(const Invocation& call) {
    RenderRequest req;
    try {
        req = parseArgs(call.args);
    } catch (const UsageError& e) {
        return usageFailure(call, "render", e.what());
    }
    const auto soundFont = req.soundFont ? req.soundFont : findSoundFontFromEnvironment();
    if (!soundFont) {
        reportFailure(call, "SoundFont", "none found (set ZELK_SOUNDFONT or use --soundfont)");
        return kExitFailed;
    }
    RenderPlan plan;
    std::unique_ptr<PrivateFolder> tmp;
    try {
        tmp = std::make_unique<PrivateFolder>();
        const auto in = inputPath(req.in, *tmp);
        if (isMidiFile(in)) { // any MIDI file, from its own events
            plan = prepareMidiFileRender(in, req.options);
        } else {
            const auto song = loadIntoFreshSong(in, tmp->folder());
            const IconvShiftJis shiftJis;
            NullMidiOut noDevice;
            plan = prepareRender(*song, tmp->folder(), noDevice, shiftJis,
                                 tmp->path() / "render.mid", req.options);
        }
    } catch (const std::exception& e) {
        reportFailure(call, inputName(req.in), e.what());
        return kExitFailed;
    }
    std::unique_ptr<FluidSynthRenderer> synth;
    try {
        synth =
            std::make_unique<FluidSynthRenderer>(req.options.sampleRate, *soundFont, renderCores());
    } catch (const std::exception&) {
        reportFailure(call, soundFont->string(), "not a SoundFont FluidSynth can read");
        return kExitFailed;
    }
    try {
        EncodedAudioFileWriter writer;
        StderrProgress progress(call.err);
        const auto target = req.out == "-" ? tmp->path() / ("out." + extensionOf(req.format))
                                           : std::filesystem::path(req.out);
        renderToFile(plan, req.format, target, *synth, writer, &progress);
        if (req.out == "-")
            copyToStandardOutput(target, call.out);
        return kExitOk;
    } catch (const std::exception& e) {
        reportFailure(call, outputName(req.out), e.what());
        return kExitFailed;
    }
}

} // namespace

extern const ToolCommand kRenderCommand;
const ToolCommand kRenderCommand = {
    "render",
    "[--rate 44100|48000|22050] [--mono] [--soundfont FILE] [--parts 1,3,10] [--no-loop] "
    "[--normalize] [--format wav|ogg|flac] IN.zelk|IN.mid OUT.wav|OUT.ogg|OUT.flac|-",
    "renders the song (or a MIDI file's own events) to audio as fast as the machine allows, "
    "from its first column, with its loop as LOOPSTART/LOOPLENGTH (Ogg, FLAC) or the smpl loop "
    "(WAV); --normalize brings the peak to -1 dBFS with one gain for the whole file",
    kArgsCheckedByCommand, &runRender};

} // namespace zelk::tool
