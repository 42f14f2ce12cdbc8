#include "support/JackTestServer.h"

#include "platform/JackProbe.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zelk::test {
namespace {

std::string uniqueName(const char* kind) {
    static std::atomic<int> counter{0};
    return std::string("zelk-") + kind + "-" + std::to_string(getpid()) + "-" +
           std::to_string(counter++);
}

pid_t startJackd(const std::string& name, int rate, int period) {
    const std::string r = std::to_string(rate), p = std::to_string(period);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    // The server's chatter would bury the test's own output.
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    execlp("jackd", "jackd", "-n", name.c_str(), "--no-realtime", "-d", "dummy", "-r", r.c_str(),
           "-p", p.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

} // namespace

std::string absentJackServerName() {
    return uniqueName("absent");
}

JackServerNameScope::JackServerNameScope(const std::string& name) {
    if (const char* old = std::getenv("JACK_DEFAULT_SERVER")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
}

JackServerNameScope::~JackServerNameScope() {
    if (hadPrevious_)
        setenv("JACK_DEFAULT_SERVER", previous_.c_str(), 1);
    else
        unsetenv("JACK_DEFAULT_SERVER");
}

JackTestServer::JackTestServer(int sampleRate, int period) : name_(uniqueName("jack")) {
    if (const char* old = std::getenv("JACK_DEFAULT_SERVER")) {
        previousServer_ = old;
        hadPreviousServer_ = true;
    }
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    pid_ = startJackd(name_, sampleRate, period);
    if (pid_ < 0) {
        why_ = "cannot start jackd";
        return;
    }
    for (int i = 0; i < 100 && !running_; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            why_ = WIFEXITED(status) && WEXITSTATUS(status) == 127 ? "jackd is not installed"
                                                                   : "jackd ended at its start";
            return;
        }
        running_ = jackServerRuns();
        if (!running_)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!running_)
        why_ = "jackd did not answer within 5 s";
}

JackTestServer::~JackTestServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
    }
    if (hadPreviousServer_)
        setenv("JACK_DEFAULT_SERVER", previousServer_.c_str(), 1);
    else
        unsetenv("JACK_DEFAULT_SERVER");
}

} // namespace zelk::test
