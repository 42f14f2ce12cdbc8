#include "platform/JackProbe.h"

#include <jack/jack.h>

namespace zelk {
namespace {

// libjack prints every failed connect ("Cannot connect to server socket"); a probe that
// finds no server is the expected case, not an error to show.
void dropJackMessage(const char*) {}

} // namespace

bool jackServerRuns() {
    jack_set_error_function(dropJackMessage);
    jack_set_info_function(dropJackMessage);
    jack_status_t status{};
    jack_client_t* client = jack_client_open("zelk-probe", JackNoStartServer, &status);
    if (client == nullptr)
        return false;
    jack_client_close(client);
    return true;
}

} // namespace zelk
