#pragma once

namespace zelk {

// FluidSynth logs through process-wide functions, by default everything to stderr. We pass its
// errors and panics on to a sink and drop its warnings, information and debug lines (a missing
// instrument or a failed real-time priority is not worth a line on every start).
using FluidErrorSink = void (*)(const char* message);

// The default sink: one line "zelk: fluidsynth: <message>" on stderr.
void writeFluidErrorToStderr(const char* message);

// Routes FluidSynth's log from now on; thread-safe, the sink may be called from any thread.
void routeFluidLog(FluidErrorSink sink);

// Routes errors to stderr unless routeFluidLog has been called before; every synthesizer calls it.
void routeFluidLogByDefault();

} // namespace zelk
