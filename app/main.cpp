// Entry function of the batch program: starts the application framework, checks the command
// line and hands over to the service run, whose result is the exit code.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/ServiceRun.h"

int main(int argc, char* argv[]) {
    if (!AppFrameworkInit(g_app)) {
        std::fputs("Fatal Error: MFC initialization failed\n", stderr);
        return 1;
    }
    if (!ParseCommandLine(argc, argv)) {
        PrintUsage();
        return 2;
    }
    return RunService();
}
