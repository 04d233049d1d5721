#include "StopSignals.h"

#include <signal.h>

namespace console {

namespace {

volatile sig_atomic_t g_stopSignal = 0;

extern "C" void NoteStopSignal(int signal) {
  // The first signal counts; a second one must not change the exit code.
  if (g_stopSignal == 0) g_stopSignal = signal;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls resume: the run stops at its own safe points.
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

int StopSignal() {
  return g_stopSignal;
}

void SetStopSignalForTesting(int signal) {
  g_stopSignal = signal;
}

void StopPoint() {
  if (g_stopSignal != 0) throw RunInterrupted();
}

}  // namespace console
