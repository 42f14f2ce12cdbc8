#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace zelk::test {

// A JACK client of the test that records what another client plays: two input ports
// connected to the first two audio outputs of the client whose name starts with `from`,
// filled from the process callback into memory reserved ahead (mono: the two sides
// averaged). Counts the server's xruns, which a test of timing must know about.
class JackCapture {
public:
    JackCapture(const std::string& from, double seconds);
    ~JackCapture();
    JackCapture(const JackCapture&) = delete;
    JackCapture& operator=(const JackCapture&) = delete;

    bool ready() const { return ready_; }
    const std::string& why() const { return why_; }
    int sampleRate() const { return rate_; }
    int64_t frames() const { return written_.load(std::memory_order_acquire); }
    int xruns() const { return xruns_.load(); }
    // The recording so far (copied).
    std::vector<float> mono() const;

private:
    static int processOnAudioThread(uint32_t frames, void* self);
    static int onXrun(void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* in_[2]{};
    std::vector<float> buffer_;
    std::atomic<int64_t> written_{0};
    std::atomic<int> xruns_{0};
    int rate_ = 0;
    bool ready_ = false;
    std::string why_;
};

} // namespace zelk::test
