#pragma once

#include <string>
#include <sys/types.h>

namespace zelk::test {

// A private JACK server with the dummy backend (no sound card needed), for tests that play
// through JACK: `jackd -n NAME --no-realtime -d dummy -r RATE -p PERIOD`. While it lives,
// $JACK_DEFAULT_SERVER names it, so every client of the process finds it; the destructor
// stops the server and puts the variable back.
class JackTestServer {
public:
    explicit JackTestServer(int sampleRate = 44100, int period = 256);
    ~JackTestServer();
    JackTestServer(const JackTestServer&) = delete;
    JackTestServer& operator=(const JackTestServer&) = delete;

    // False when jackd is not installed or did not come up; the reason is in why().
    bool running() const { return running_; }
    const std::string& why() const { return why_; }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    std::string why_;
    std::string previousServer_;
    bool hadPreviousServer_ = false;
    pid_t pid_ = -1;
    bool running_ = false;
};

// A server name no server has: clients that look for it find none.
std::string absentJackServerName();

// Sets $JACK_DEFAULT_SERVER for the scope and puts the old value back.
class JackServerNameScope {
public:
    explicit JackServerNameScope(const std::string& name);
    ~JackServerNameScope();
    JackServerNameScope(const JackServerNameScope&) = delete;
    JackServerNameScope& operator=(const JackServerNameScope&) = delete;

private:
    std::string previous_;
    bool hadPrevious_ = false;
};

} // namespace zelk::test
