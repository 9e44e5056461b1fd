// How the batch program is stopped from outside: SIGTERM (systemd, kill) or SIGINT (Ctrl-C). The
// signals are blocked for the whole run, so that no database call is ever interrupted half-way;
// the run loop asks for them between requests and waits for them instead of sleeping. A stop,
// once seen, stays requested. SIGHUP is blocked and taken the same way but stops nothing: the
// program has no terminal whose hang-up should end it, and nothing to reload, since the
// configuration file is read anew at every connect. Single-threaded use.
#pragma once

// Blocks SIGTERM, SIGINT and SIGHUP for the process; call once before the run starts.
void BlockStopSignals();
// True when a stop has been requested (takes pending signals, never waits).
bool StopRequested();
// Sleeps for the given time, or less when a stop arrives; true when a stop has been requested.
// A SIGHUP does not cut the sleep short.
bool WaitForStop(int nMilliseconds);
// True exactly once, on the first call after a SIGHUP was taken, so that the caller can record
// that it was ignored.
bool TakeFirstHangup();
