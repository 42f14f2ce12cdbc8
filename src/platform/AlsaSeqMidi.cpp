#include "platform/AlsaSeqMidi.h"

#include "platform/SpscRing.h"
#include "render/ScheduleRun.h"

#include <alsa/asoundlib.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace zelk {
namespace {

// Ports are named "client name:port name", as the desktop's patchbays show them: client
// numbers change with the order programs start and devices are plugged in, names do not.
struct SeqPort {
    std::string name;
    snd_seq_addr_t addr;
};

// The ports of other clients whose capabilities include `caps`.
std::vector<SeqPort> listPorts(snd_seq_t* seq, unsigned int caps) {
    std::vector<SeqPort> found;
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == snd_seq_client_id(seq) || id == SND_SEQ_CLIENT_SYSTEM)
            continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0)
            if ((snd_seq_port_info_get_capability(port) & caps) == caps)
                found.push_back({std::string(snd_seq_client_info_get_name(client)) + ":" +
                                     snd_seq_port_info_get_name(port),
                                 *snd_seq_port_info_get_addr(port)});
    }
    return found;
}

bool parseAddress(snd_seq_t* seq, const std::string& name, unsigned int caps,
                  snd_seq_addr_t& addr) {
    for (const SeqPort& p : listPorts(seq, caps))
        if (p.name == name) {
            addr = p.addr;
            return true;
        }
    return false;
}

constexpr unsigned int kWritable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
constexpr unsigned int kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;

snd_seq_event_t eventOf(uint32_t message, int port) {
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_seq_ev_set_source(&ev, port);
    snd_seq_ev_set_subs(&ev);
    const uint8_t status = message & 0xFF, d1 = (message >> 8) & 0x7F, d2 = (message >> 16) & 0x7F;
    const int ch = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80:
        snd_seq_ev_set_noteoff(&ev, ch, d1, d2);
        break;
    case 0x90:
        snd_seq_ev_set_noteon(&ev, ch, d1, d2);
        break;
    case 0xA0:
        snd_seq_ev_set_keypress(&ev, ch, d1, d2);
        break;
    case 0xB0:
        snd_seq_ev_set_controller(&ev, ch, d1, d2);
        break;
    case 0xC0:
        snd_seq_ev_set_pgmchange(&ev, ch, d1);
        break;
    case 0xD0:
        snd_seq_ev_set_chanpress(&ev, ch, d1);
        break;
    default:
        snd_seq_ev_set_pitchbend(&ev, ch, (d1 | (d2 << 7)) - 8192);
        break;
    }
    return ev;
}

// Feeds a run to the queue about 100 ms ahead of its time, in steps of 10 ms (the run's
// frames are microseconds here).
class QueueWriter : public SynthRenderer {
public:
    QueueWriter(snd_seq_t* seq, int port, int queue) : seq_(seq), port_(port), queue_(queue) {}
    int sampleRate() const override { return 1'000'000; }
    void send(uint32_t message) override {
        snd_seq_event_t ev = eventOf(message, port_);
        const snd_seq_real_time_t t{static_cast<unsigned>(at_ / 1'000'000),
                                    static_cast<unsigned>(at_ % 1'000'000) * 1000};
        snd_seq_ev_schedule_real(&ev, queue_, 0, &t);
        snd_seq_event_output(seq_, &ev);
    }
    void render(std::span<float> left, std::span<float>) override {
        at_ += static_cast<int64_t>(left.size());
    }
    int64_t at() const { return at_; }

private:
    snd_seq_t* seq_;
    int port_, queue_;
    int64_t at_ = 0;
};

class AlsaSeqOut : public ExternalMidiOut {
public:
    AlsaSeqOut(snd_seq_t* seq, int port, snd_seq_addr_t dest, std::string name)
        : seq_(seq), port_(port), dest_(dest), name_(std::move(name)),
          queue_(snd_seq_alloc_queue(seq)) {}
    ~AlsaSeqOut() override {
        stop();
        snd_seq_free_queue(seq_, queue_);
        snd_seq_delete_simple_port(seq_, port_);
    }
    const std::string& name() const override { return name_; }
    void send(uint32_t message) override {
        snd_seq_event_t ev = eventOf(message, port_);
        snd_seq_ev_set_direct(&ev);
        if (snd_seq_event_output_direct(seq_, &ev) < 0)
            lost_ = true;
    }
    void play(std::shared_ptr<const FileMusic> music, const PlayRange& range) override {
        stop();
        if (!music)
            return;
        auto run = runOfMusic(*music, 1'000'000, range);
        stopping_ = false;
        feeder_ = std::thread([this, run] { feed(*run); });
    }
    void stop() override {
        if (!feeder_.joinable())
            return;
        stopping_ = true;
        feeder_.join();
        snd_seq_drop_output(seq_);
        snd_seq_stop_queue(seq_, queue_, nullptr);
        snd_seq_drain_output(seq_);
        for (uint32_t ch = 0; ch < 16; ++ch)
            for (uint32_t cc : {64u, 123u, 120u})
                send((0xB0 | ch) | (cc << 8));
    }
    bool lost() const override {
        snd_seq_port_info_t* info;
        snd_seq_port_info_alloca(&info);
        return lost_ || snd_seq_get_any_port_info(seq_, dest_.client, dest_.port, info) < 0;
    }

private:
    void feed(ScheduleRun& run) {
        snd_seq_start_queue(seq_, queue_, nullptr);
        snd_seq_drain_output(seq_);
        QueueWriter writer(seq_, port_, queue_);
        std::vector<float> scratch(2 * 10'000);
        std::span<float> all(scratch);
        const auto begin = std::chrono::steady_clock::now();
        while (!stopping_ && !run.finished()) {
            const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::steady_clock::now() - begin)
                                 .count();
            if (writer.at() > now + 100'000) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            run.advanceOnAudioThread(writer, all.first(10'000), all.subspan(10'000));
            snd_seq_drain_output(seq_);
        }
    }

    snd_seq_t* seq_;
    int port_;
    snd_seq_addr_t dest_;
    std::string name_;
    int queue_;
    std::thread feeder_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> lost_{false};
};

class AlsaSeqIn : public MidiInput {
public:
    AlsaSeqIn(snd_seq_t* seq, int port) : seq_(seq), port_(port) {
        reader_ = std::thread([this] { read(); });
    }
    ~AlsaSeqIn() override {
        done_ = true;
        reader_.join();
        snd_seq_delete_simple_port(seq_, port_);
    }
    size_t take(std::span<uint32_t> out) override {
        size_t n = 0;
        while (n < out.size() && ring_.pop(out[n]))
            ++n;
        return n;
    }
    uint64_t dropped() const override { return dropped_.load(); }

private:
    void read() {
        while (!done_) {
            if (snd_seq_event_input_pending(seq_, 1) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            snd_seq_event_t* ev = nullptr;
            if (snd_seq_event_input(seq_, &ev) < 0 || ev == nullptr)
                continue;
            if (const uint32_t m = messageOf(*ev); m != 0 && !ring_.push(m))
                dropped_.fetch_add(1);
        }
    }
    static uint32_t messageOf(const snd_seq_event_t& ev) {
        const snd_seq_ev_note_t& n = ev.data.note;
        const snd_seq_ev_ctrl_t& c = ev.data.control;
        auto pack = [](int status, int d1, int d2) {
            return static_cast<uint32_t>(status | ((d1 & 0x7F) << 8) | ((d2 & 0x7F) << 16));
        };
        switch (ev.type) {
        case SND_SEQ_EVENT_NOTEON:
            return pack(0x90 | n.channel, n.note, n.velocity);
        case SND_SEQ_EVENT_NOTEOFF:
            return pack(0x80 | n.channel, n.note, n.velocity);
        case SND_SEQ_EVENT_CONTROLLER:
            return pack(0xB0 | c.channel, c.param, c.value);
        case SND_SEQ_EVENT_PITCHBEND: {
            const int v = c.value + 8192;
            return pack(0xE0 | c.channel, v & 0x7F, v >> 7);
        }
        default:
            return 0; // clock, sensing, sysex and the rest
        }
    }

    snd_seq_t* seq_;
    int port_;
    SpscRing<uint32_t> ring_{16384};
    std::atomic<uint64_t> dropped_{0};
    std::atomic<bool> done_{false};
    std::thread reader_;
};

} // namespace

std::unique_ptr<AlsaSeqBackend> AlsaSeqBackend::open(const char* clientName) {
    std::error_code ec;
    if (!std::filesystem::exists("/dev/snd/seq", ec))
        return nullptr;
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        return nullptr;
    snd_seq_set_client_name(seq, clientName);
    return std::unique_ptr<AlsaSeqBackend>(new AlsaSeqBackend(seq));
}

AlsaSeqBackend::AlsaSeqBackend(snd_seq_t* seq) : seq_(seq) {}

AlsaSeqBackend::~AlsaSeqBackend() {
    snd_seq_close(seq_);
}

std::vector<std::string> AlsaSeqBackend::ports(unsigned int caps) {
    std::vector<std::string> names;
    for (const SeqPort& p : listPorts(seq_, caps))
        names.push_back(p.name);
    return names;
}

std::vector<std::string> AlsaSeqBackend::destinations() {
    return ports(kWritable);
}

std::vector<std::string> AlsaSeqBackend::sources() {
    return ports(kReadable);
}

std::unique_ptr<ExternalMidiOut> AlsaSeqBackend::openOutput(const std::string& destination) {
    snd_seq_addr_t dest;
    if (!parseAddress(seq_, destination, kWritable, dest))
        return nullptr;
    const int port =
        snd_seq_create_simple_port(seq_, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0)
        return nullptr;
    if (snd_seq_connect_to(seq_, port, dest.client, dest.port) < 0) {
        snd_seq_delete_simple_port(seq_, port);
        return nullptr;
    }
    return std::make_unique<AlsaSeqOut>(seq_, port, dest, destination);
}

std::unique_ptr<MidiInput> AlsaSeqBackend::openInput(const std::string& source) {
    const int port =
        snd_seq_create_simple_port(seq_, "in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0)
        return nullptr;
    const std::vector<std::string> from = source.empty() ? sources() : std::vector{source};
    for (const std::string& s : from)
        if (snd_seq_addr_t a; parseAddress(seq_, s, kReadable, a))
            snd_seq_connect_from(seq_, port, a.client, a.port);
    return std::make_unique<AlsaSeqIn>(seq_, port);
}

} // namespace zelk
