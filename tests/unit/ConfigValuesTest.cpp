#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "config/CIniConfig.h"
#include "config/CipherHex.h"
#include "config/CipherKey.h"
#include "tests/support/TempDir.h"

namespace {

std::string Encipher(const CString& strPlain) {
    CString strKey;
    AssembleCipherKey(strKey);
    const CString strHex = EncryptHex(strPlain, strKey);
    strKey.Empty();
    return strHex.GetString();
}

std::string Lower(std::string strText) {
    for (char& ch : strText) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    return strText;
}

class ConfigValuesTest : public ::testing::Test {
protected:
    void Write(const std::string& strContent) {
        WriteBytes(m_strFile, strContent);
        ASSERT_TRUE(m_config.SetIniFile(m_strFile.c_str()));
    }

    TempDir m_dir;
    std::string m_strFile = m_dir.File("kvt.ini");
    CIniConfig m_config;
};

// Files already in use carry values enciphered with this key; a changed key would lock them out.
TEST_F(ConfigValuesTest, KeyIsTheOneInUse) {
    EXPECT_STREQ(m_config.Decrypt("4221FBB4FD30EB38"), "MYSQL");
    EXPECT_STREQ(m_config.Decrypt("10E9215BAA304CC8"), "ABCDEFGH");
    EXPECT_STREQ(m_config.Decrypt("10E9215BAA304CC8745E1C24A0AF3F10"), "ABCDEFGHI");
    EXPECT_STREQ(m_config.Decrypt("C66FC3E20D05EF35"), "Passw\xF6rt");
}

TEST_F(ConfigValuesTest, EachGetterDeciphersItsKey) {
    Write("1;DB_SYSTEM;" + Encipher("MYSQL") + "\n1;DATABASE;" + Lower(Encipher("kvt_dsn")) + "\n1;LOGIN;" +
          Encipher("Anwender") + "\n1;PASS;" + Encipher("Gel\xF6scht;12345") + "\n1;SCHEMA;" +
          Encipher("ZTW0815") + "\n");
    EXPECT_STREQ(m_config.GetDbSystem(), "MYSQL");
    EXPECT_STREQ(m_config.GetDatabase(), "kvt_dsn");
    EXPECT_STREQ(m_config.GetLogin(), "Anwender");
    EXPECT_STREQ(m_config.GetPass(), "Gel\xF6scht;12345");
    EXPECT_STREQ(m_config.GetSchema(), "ZTW0815");
}

TEST_F(ConfigValuesTest, MissingOrEmptyValuesAreEmptyAndDecipherNothing) {
    Write("1;DB_SYSTEM;\n1;LOGIN;ZZ\n");
    EXPECT_TRUE(m_config.GetDbSystem().IsEmpty());
    EXPECT_TRUE(m_config.GetPass().IsEmpty());
    // Too short for one group: nothing is deciphered.
    EXPECT_TRUE(m_config.GetLogin().IsEmpty());
    EXPECT_TRUE(m_config.Decrypt("").IsEmpty());
}

}  // namespace
