// The signals that end the referee. Each one only asks it to stop: every
// running engine and everything it started are killed, the engines' folders
// removed, and the referee ends with status 1, as for Ctrl-C.
#pragma once

namespace fiverow::match {

// Process-wide, once, before the first engine runs: catches every signal
// whose default action ends the process and that can be caught from outside
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
// SIGPROF, SIGXCPU, SIGIO, SIGPWR, SIGSTKFLT and the real-time signals),
// except one that was ignored when the referee started (as under nohup).
// SIGPIPE and SIGXFSZ are ignored, so a failed write is an error to handle.
void CatchStopSignals();

bool StopRequested();

// A handle that becomes readable, for good, once a stop was requested: any
// thread can wait for it beside its other handles.
int StopNotificationFd();

// Makes the handle readable without a signal, for the referee's own reasons
// to end every wait for an engine (a failed write, a decided match):
// StopRequested() stays false.
void InterruptWaits();

}  // namespace fiverow::match
