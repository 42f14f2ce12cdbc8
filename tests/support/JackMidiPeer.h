#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace zelk::test {

// A JACK client of the test standing for another program's MIDI ports: "in" records every
// event it receives with its absolute frame, "out" sends what the test queues (raw bytes,
// so system messages too), a number of events per period.
class JackMidiPeer {
public:
    explicit JackMidiPeer(const char* name = "zelk-test-midi");
    ~JackMidiPeer();
    JackMidiPeer(const JackMidiPeer&) = delete;
    JackMidiPeer& operator=(const JackMidiPeer&) = delete;

    struct Event {
        uint64_t frame = 0;
        std::vector<uint8_t> bytes;
    };

    bool ready() const { return client_ != nullptr; }
    std::string inPort() const;
    std::string outPort() const;
    int period() const;
    // What "in" received so far (copied).
    std::vector<Event> received() const;
    // Queues events for "out"; at most `perPeriod` go out in each period, in order.
    void queue(std::vector<std::vector<uint8_t>> events, int perPeriod);
    bool queueEmpty() const { return sent_.load() >= queued_.size(); }
    // Cycles the server reported missed since the peer started: a loaded machine's server
    // may drop a late client's events, which no program can prevent.
    int xruns() const { return xruns_.load(); }
    // Closes the client: its ports vanish as a quitting program's do.
    void quit();

private:
    static int processOnAudioThread(uint32_t frames, void* self);
    static int xrunOnAudioThread(void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    std::string name_;
    std::vector<Event> events_;
    std::atomic<size_t> count_{0};
    std::vector<std::vector<uint8_t>> queued_;
    std::atomic<size_t> sent_{0};
    std::atomic<size_t> ready_{0}; // events of queued_ the process callback may send
    int perPeriod_ = 1;
    std::atomic<int> xruns_{0};
};

} // namespace zelk::test
