// Entry function of kvt-report: checks the command line and hands over to the run, whose result is
// the exit code.
#include <cstring>

#include "base/AppFramework.h"
#include "report/CReportOutput.h"
#include "report/ReportOptions.h"
#include "report/ReportRun.h"

int main(int argc, char* argv[]) {
    CAppFramework app;
    if (!AppFrameworkInit(app)) {
        return kExitOutput;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        CReportOutput output(CsvStyle::None, false);
        output.Data("kvt-report " KVT_VERSION "\n");
        return output.Flush() ? kExitOk : kExitOutput;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        CReportOutput output(CsvStyle::None, false);
        output.Data(CString(ReportUsage()) + "\n");
        return output.Flush() ? kExitOk : kExitOutput;
    }
    ReportOptions options;
    CString strError;
    if (!ParseReportOptions(argc, argv, &options, &strError)) {
        CReportOutput output(CsvStyle::None, false);
        output.Error(strError);
        output.Note(ReportUsage());
        return kExitUsage;
    }
    return RunReport(options);
}
