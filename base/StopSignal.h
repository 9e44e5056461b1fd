// How the batch program is stopped from outside: SIGTERM (systemd, kill) or SIGINT (Ctrl-C). The
// signals are blocked for the whole run, so that no database call is ever interrupted half-way;
// the run loop asks for them between requests and waits for them instead of sleeping. A stop,
// once seen, stays requested. Single-threaded use.
#pragma once

// Blocks SIGTERM and SIGINT for the process; call once before the run starts.
void BlockStopSignals();
// True when a stop has been requested (takes a pending signal, never waits).
bool StopRequested();
// Sleeps for the given time, or less when a stop arrives; true when a stop has been requested.
bool WaitForStop(int nMilliseconds);
