#pragma once

namespace zelk {

// A JACK server answers: the server named by $JACK_DEFAULT_SERVER, else "default". Asks
// without starting one (JackNoStartServer), so a machine with jackd installed and no server
// running costs a failed socket connect, not the seconds of a server that cannot start.
bool jackServerRuns();

} // namespace zelk
