// The application framework of this platform: the process-wide application object, constructed
// before the entry function runs, and its start. The program relies only on whether the start
// succeeds. Single-threaded use.
#pragma once

class CAppFramework {
public:
    CAppFramework() = default;
    virtual ~CAppFramework() = default;
    CAppFramework(const CAppFramework&) = delete;
    CAppFramework& operator=(const CAppFramework&) = delete;
};

// Makes sure the standard streams 0, 1 and 2 are open (on /dev/null when the caller closed
// them), so that no file the program opens later can take their place and receive console
// output. Fails only when that cannot be done.
bool AppFrameworkInit(CAppFramework& app);
