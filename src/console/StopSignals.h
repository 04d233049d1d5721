// SIGINT, SIGTERM and SIGHUP ask a run to stop: the handler only notes the
// signal, and the run ends at its next safe point through its normal
// clean-up (temporary profile deleted, MAPI released, no partial report).
#pragma once

#include <stdexcept>

namespace console {

// Installs the handlers (and ignores SIGPIPE, so that a reader that goes
// away cannot end the run either).
void InstallStopSignals();

// The signal that asked the run to stop, or 0.
int StopSignal();

// Notes `signal` as if it had arrived; 0 forgets a noted one (for tests of
// the units that stop).
void SetStopSignalForTesting(int signal);

// Thrown at a safe point once a stop signal has arrived.
struct RunInterrupted : std::runtime_error {
  RunInterrupted() : std::runtime_error("interrupted") {}
};

// A safe point: throws RunInterrupted when a stop signal has arrived.
void StopPoint();

}  // namespace console
