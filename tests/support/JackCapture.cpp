#include "support/JackCapture.h"

#include <jack/jack.h>

#include <cstring>

namespace zelk::test {

JackCapture::JackCapture(const std::string& from, double seconds) {
    client_ = jack_client_open("zelk-test-capture", JackNoStartServer, nullptr);
    if (client_ == nullptr) {
        why_ = "no JACK server";
        return;
    }
    rate_ = static_cast<int>(jack_get_sample_rate(client_));
    buffer_.assign(static_cast<size_t>(seconds * rate_), 0.0f);
    in_[0] = jack_port_register(client_, "in_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    in_[1] = jack_port_register(client_, "in_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackCapture::processOnAudioThread, this);
    jack_set_xrun_callback(client_, &JackCapture::onXrun, this);
    if (jack_activate(client_) != 0) {
        why_ = "cannot activate the capture client";
        return;
    }
    const char** ports =
        jack_get_ports(client_, (from + ".*").c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    int connected = 0;
    for (int i = 0; ports != nullptr && ports[i] != nullptr && connected < 2; ++i)
        if (jack_connect(client_, ports[i], jack_port_name(in_[connected])) == 0)
            ++connected;
    jack_free(ports);
    ready_ = connected == 2;
    if (!ready_)
        why_ = "no audio outputs of " + from + " to record";
}

JackCapture::~JackCapture() {
    if (client_ != nullptr)
        jack_client_close(client_);
}

int JackCapture::processOnAudioThread(uint32_t frames, void* self) {
    auto* c = static_cast<JackCapture*>(self);
    const auto* l = static_cast<const float*>(jack_port_get_buffer(c->in_[0], frames));
    const auto* r = static_cast<const float*>(jack_port_get_buffer(c->in_[1], frames));
    const int64_t at = c->written_.load(std::memory_order_relaxed);
    const auto room = static_cast<int64_t>(c->buffer_.size()) - at;
    const int64_t n = room < static_cast<int64_t>(frames) ? room : static_cast<int64_t>(frames);
    for (int64_t i = 0; i < n; ++i)
        c->buffer_[static_cast<size_t>(at + i)] = 0.5f * (l[i] + r[i]);
    c->written_.store(at + n, std::memory_order_release);
    return 0;
}

int JackCapture::onXrun(void* self) {
    static_cast<JackCapture*>(self)->xruns_.fetch_add(1);
    return 0;
}

std::vector<float> JackCapture::mono() const {
    const int64_t n = frames();
    return {buffer_.begin(), buffer_.begin() + n};
}

} // namespace zelk::test
