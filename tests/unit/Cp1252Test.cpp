#include <gtest/gtest.h>

#include <string>

#include "base/Cp1252.h"

namespace {

// The journal and the status line take UTF-8; the program's texts are Windows-1252.
TEST(Cp1252Test, TextsBecomeUtf8WithTheWindowsCharactersOfTheC1Range) {
    EXPECT_EQ(Utf8FromCp1252("F\xFCr 100% gel\xF6scht"), "F\xC3\xBCr 100% gel\xC3\xB6scht");
    EXPECT_EQ(Utf8FromCp1252("\x80 \x84 \x9F \xFF"), "\xE2\x82\xAC \xE2\x80\x9E \xC5\xB8 \xC3\xBF");
    // Undefined in Windows-1252: a replacement character, not a C1 control that would make the
    // journal keep the entry as binary data.
    const std::string strReplacement = "\xEF\xBF\xBD";
    EXPECT_EQ(Utf8FromCp1252("\x81\x8D\x8F\x90\x9D"),
              strReplacement + strReplacement + strReplacement + strReplacement + strReplacement);
}

}  // namespace
