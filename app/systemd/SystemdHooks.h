// kvt under systemd. When its standard error is the journal, every run-log entry and every line
// for the operator also goes to the journal, as a structured entry in UTF-8 with a priority (err,
// warning, info), and the lines for the operator go there instead of to standard error. When
// systemd waits for notifications (Type=notify), the service run's notifications reach it. When the
// unit names a directory for the node exporter's textfile collector (Environment=KVT_METRICS_DIR=),
// the run's metrics are written there. Without systemd nothing is installed and kvt behaves as
// without this file. Only the kvt program links this file, and with it libsystemd.
#pragma once

// Called once by the entry function, before anything is reported.
void InstallSystemdHooks();
