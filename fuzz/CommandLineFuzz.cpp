// Fuzz target for the command line: each input is split at zero bytes into up to five arguments
// after the program path. An argument 1 of "@ini" is replaced by the path of the process's
// temporary file, so that inputs reach past the configuration file check; any other argument 1 is
// probed as it is. The process-wide texts are reset before every input, and afterwards they and
// the outcome must be what the USER: and PARM: arguments and the file's existence call for.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Globals.h"
#include "fuzz/FuzzSupport.h"

namespace {

const size_t kMaxArguments = 5;
const char kExistingFileToken[] = "@ini";

struct ExpectedParse {
    bool bValid = false;
    bool bSingleRequest = false;
    std::string strSchema;
    std::string strUser;
    std::string strRequestNumber;
};

std::vector<std::string> SplitArguments(const uint8_t* pbData, size_t nSize) {
    std::vector<std::string> arguments;
    if (nSize == 0) {
        return arguments;
    }
    const std::string strInput(reinterpret_cast<const char*>(pbData), nSize);
    size_t nStart = 0;
    while (arguments.size() < kMaxArguments) {
        const size_t nEnd = strInput.find('\0', nStart);
        arguments.push_back(strInput.substr(nStart, nEnd - nStart));
        if (nEnd == std::string::npos) {
            break;
        }
        nStart = nEnd + 1;
    }
    return arguments;
}

void ResetGlobals() {
    g_config = CIniConfig();
    g_schema.Empty();
    g_user.Empty();
    g_requestNumber.Empty();
    g_singleRequest = false;
}

std::string Upper(std::string str) {
    for (char& ch : str) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return str;
}

bool Exists(const std::string& strPath) {
    std::error_code ignored;
    return !strPath.empty() && std::filesystem::exists(strPath, ignored);
}

// What the arguments call for, worked out independently of the parser.
ExpectedParse Expect(const std::vector<std::string>& arguments) {
    ExpectedParse expected;
    if (arguments.size() < 2) {
        return expected;
    }
    const std::string strUser = Upper(arguments[1]);
    const size_t nHash = strUser.find('#', 5);
    if (strUser.compare(0, 5, "USER:") != 0 || nHash == std::string::npos) {
        return expected;
    }
    expected.strSchema = strUser.substr(5, nHash - 5);
    expected.strUser = strUser.substr(nHash + 1);
    if (arguments.size() >= 3) {
        const std::string strParm = Upper(arguments[2]);
        if (strParm.compare(0, 5, "PARM:") == 0) {
            expected.bSingleRequest = true;
            expected.strRequestNumber = strParm.substr(5);
        }
    }
    expected.bValid = Exists(arguments[0]);
    return expected;
}

void CheckOutcome(const std::vector<std::string>& arguments, bool bValid) {
    const ExpectedParse expected = Expect(arguments);
    FuzzRequire(bValid == expected.bValid, "the arguments are accepted exactly when they are valid");
    FuzzRequire(expected.strSchema == g_schema.GetString(), "the schema is the upper-cased text before '#'");
    FuzzRequire(expected.strUser == g_user.GetString(), "the user is the upper-cased text after '#'");
    FuzzRequire(expected.bSingleRequest == g_singleRequest,
                "a PARM: argument switches on single-request mode");
    FuzzRequire(expected.strRequestNumber == g_requestNumber.GetString(),
                "the request number is the upper-cased text after PARM:");
    const std::string strIniFile = expected.bValid ? arguments[0] : std::string();
    FuzzRequire(strIniFile == g_config.GetIniFile().GetString(),
                "the configuration file is remembered exactly when the arguments are valid");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t nSize) {
    std::vector<std::string> arguments = SplitArguments(pbData, nSize);
    if (!arguments.empty() && arguments[0] == kExistingFileToken) {
        arguments[0] = FuzzTempFile().GetPath().GetString();
    }
    std::vector<const char*> argv{"kvt"};
    for (const std::string& strArgument : arguments) {
        argv.push_back(strArgument.c_str());
    }
    argv.push_back(nullptr);

    ResetGlobals();
    const bool bValid = ParseCommandLine(static_cast<int>(argv.size()) - 1, argv.data());
    CheckOutcome(arguments, bValid);
    return 0;
}
