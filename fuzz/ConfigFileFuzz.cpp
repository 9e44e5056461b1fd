// Fuzz target for the configuration reader: each input is a whole configuration file, written to
// the process's temporary file. A lookup may only ever hand back the upper-cased, trimmed tail of
// one line piece, keys no line can carry find nothing, and every getter leaves the cipher context
// wiped and deciphers no more than its value's whole groups.
#include <cstddef>
#include <cstdint>

#include "config/CIniConfig.h"
#include "fuzz/FuzzSupport.h"

namespace {

// The reader takes at most this many characters of a physical line at a time.
const int kLinePieceLength = 399;

struct ValueGetter {
    const char* pszKey;
    CString (CIniConfig::*pGet)() const;
};

const ValueGetter kGetters[] = {
    {"DB_SYSTEM", &CIniConfig::GetDbSystem}, {"DATABASE", &CIniConfig::GetDatabase},
    {"LOGIN", &CIniConfig::GetLogin},        {"PASS", &CIniConfig::GetPass},
    {"SCHEMA", &CIniConfig::GetSchema},
};

// Further keys a line can carry, and keys no upper-cased line split at ';' can carry.
const char* const kOtherKeys[] = {"X", " LOGIN"};
const char* const kUnmatchableKeys[] = {"", "login", "A;B"};

bool IsTrimmedSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

bool HasLowerCase(const CString& str) {
    for (int i = 0; i < str.GetLength(); ++i) {
        if (str.GetAt(i) >= 'a' && str.GetAt(i) <= 'z') {
            return true;
        }
    }
    return false;
}

CString CheckedValue(const CIniConfig& config, const CString& strKey) {
    const CString strValue = config.GetValue(strKey);
    FuzzRequire(strValue.GetLength() <= kLinePieceLength - 2 - strKey.GetLength(),
                "a value fits into one line piece after its key");
    FuzzRequire(!HasLowerCase(strValue), "a value comes upper-cased");
    FuzzRequire(strValue.Find('\n') < 0, "a value never spans a line end");
    FuzzRequire(strValue.IsEmpty() || !IsTrimmedSpace(strValue.GetAt(strValue.GetLength() - 1)),
                "a value has no trailing white space");
    return strValue;
}

void CheckGetter(const CIniConfig& config, const ValueGetter& getter) {
    const CString strCipher = CheckedValue(config, getter.pszKey);
    const CString strPlain = (config.*getter.pGet)();
    FuzzRequire(CipherContextIsWiped(), "a getter leaves the cipher context wiped");
    FuzzRequire(strPlain.GetLength() <= strCipher.GetLength() / 16 * 8,
                "a getter deciphers no more than the whole groups of its value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t nSize) {
    CFuzzTempFile& file = FuzzTempFile();
    file.Rewrite(pbData, nSize);

    CIniConfig config;
    FuzzRequire(config.SetIniFile(file.GetPath()), "an existing configuration file is accepted");
    for (const ValueGetter& getter : kGetters) {
        CheckGetter(config, getter);
    }
    for (const char* pszKey : kOtherKeys) {
        CheckedValue(config, pszKey);
    }
    for (const char* pszKey : kUnmatchableKeys) {
        FuzzRequire(config.GetValue(pszKey).IsEmpty(), "a key no line can carry finds nothing");
    }
    return 0;
}
