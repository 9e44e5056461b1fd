// Entry function of the batch program: starts the application framework, checks the command
// line and the configuration file and hands over to the service run, whose result is the exit
// code. Under systemd the journal and the notifications are hooked in first.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/ConfigDiagnosis.h"
#include "app/Globals.h"
#include "app/ServiceRun.h"
#include "app/systemd/SystemdHooks.h"

namespace {

// The arguments or the configuration file cannot be used; nothing has logged in.
const int kExitUnusableStart = 2;

}  // namespace

int main(int argc, char* argv[]) {
    if (!AppFrameworkInit(g_app)) {
        std::fputs("Fatal Error: MFC initialization failed\n", stderr);
        return 1;
    }
    InstallSystemdHooks();
    if (PrintInfoIfAsked(argc, argv)) {
        return 0;
    }
    if (!ParseCommandLine(argc, argv)) {
        if (IsRefusedForTheConfigFile(argc, argv)) {
            ReportUnusableConfigFile(argv[1]);
        }
        PrintUsage();
        return kExitUnusableStart;
    }
    if (ReportConfigFaults(g_config, !g_schema.IsEmpty())) {
        return kExitUnusableStart;
    }
    return RunService();
}
