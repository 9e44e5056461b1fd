#include <gtest/gtest.h>

#include <string>

#include "config/CIniConfig.h"
#include "tests/support/TempDir.h"

namespace {

class ConfigFileTest : public ::testing::Test {
protected:
    std::string Value(const std::string& strContent, const char* pszKey) {
        WriteBytes(m_strFile, strContent);
        EXPECT_TRUE(m_config.SetIniFile(m_strFile.c_str()));
        return m_config.GetValue(pszKey).GetString();
    }

    TempDir m_dir;
    std::string m_strFile = m_dir.File("kvt.ini");
    CIniConfig m_config;
};

TEST_F(ConfigFileTest, SetIniFileKeepsThePathOnlyWhenItExists) {
    EXPECT_FALSE(m_config.SetIniFile(m_strFile.c_str()));
    EXPECT_TRUE(m_config.GetIniFile().IsEmpty());
    WriteBytes(m_strFile, "1;LOGIN;AB\n");
    EXPECT_TRUE(m_config.SetIniFile(m_strFile.c_str()));
    EXPECT_FALSE(m_config.SetIniFile(m_dir.File("missing.ini").c_str()));
    EXPECT_STREQ(m_config.GetIniFile(), m_strFile.c_str());
    EXPECT_FALSE(m_config.SetIniFile(""));
}

TEST_F(ConfigFileTest, NoFileGivesEmptyValues) {
    EXPECT_TRUE(m_config.GetValue("LOGIN").IsEmpty());
    EXPECT_EQ(Value("1;LOGIN;AB\n", "LOGIN"), "AB");
    std::filesystem::remove(m_strFile);
    EXPECT_TRUE(m_config.GetValue("LOGIN").IsEmpty());
}

TEST_F(ConfigFileTest, FileIsReadAgainForEveryValue) {
    EXPECT_EQ(Value("1;LOGIN;AB\n", "LOGIN"), "AB");
    WriteBytes(m_strFile, "1;LOGIN;CD\n");
    EXPECT_STREQ(m_config.GetValue("LOGIN"), "CD");
}

TEST_F(ConfigFileTest, LineForms) {
    EXPECT_EQ(Value("x;LOGIN;0000\n1;LOGIN;ABCD\n", "LOGIN"), "ABCD");
    EXPECT_EQ(Value("  x;LOGIN;0000\nX;LOGIN;1111\n", "LOGIN"), "");
    EXPECT_EQ(Value(";DATABASE;ABCD\n", "DATABASE"), "ABCD");
    EXPECT_EQ(Value("1; LOGIN;ABCD\n1;LOGIN ;EF\n", "LOGIN"), "");
    EXPECT_EQ(Value("1;login;abcd\n", "LOGIN"), "ABCD");
    EXPECT_EQ(Value("1;login;abcd\n", "login"), "");
    EXPECT_EQ(Value("1;DATABASE\nDATABASE;\n1;DATABASE;AB\n", "DATABASE"), "AB");
    EXPECT_EQ(Value("1;PASS;AA\n2;PASS;BB\n", "PASS"), "AA");
    EXPECT_EQ(Value("1;PASS;\n2;PASS;BB\n", "PASS"), "");
    EXPECT_EQ(Value("1;PASS;AA\n", "LOGIN"), "");
    EXPECT_EQ(Value("1;PASS;AA\n", ""), "");
    EXPECT_EQ(Value("1;LOGIN;AB;CD;\n", "LOGIN"), "AB;CD;");
    EXPECT_EQ(Value("\t 1;LOGIN;AB CD \t\v\f\r\n", "LOGIN"), "AB CD");
    EXPECT_EQ(Value("1;LOGIN;ABCD", "LOGIN"), "ABCD");
    EXPECT_EQ(Value("\n\n;;\n;SCHEMA;12\r\n", "SCHEMA"), "12");
}

// The value is cut with the file at every length: it never reaches beyond the bytes present.
TEST_F(ConfigFileTest, FileCutAtEveryLength) {
    const std::string strFull = "x;LOGIN;0000\n1;LOGIN;ABCD\r\n";
    const size_t nValueStart = strFull.find("ABCD");
    for (size_t nLength = 0; nLength <= strFull.size(); ++nLength) {
        SCOPED_TRACE(nLength);
        const std::string strExpected =
            nLength < nValueStart ? ""
                                  : strFull.substr(nValueStart, std::min<size_t>(nLength - nValueStart, 4));
        EXPECT_EQ(Value(strFull.substr(0, nLength), "LOGIN"), strExpected);
    }
}

TEST_F(ConfigFileTest, LongLinesAreTakenInPiecesOf399) {
    // 399 characters, then a piece of 101 that has the form of a line itself.
    EXPECT_EQ(Value(std::string(399, 'Z') + "9;LOGIN;" + std::string(93, 'B') + "\n", "LOGIN"),
              std::string(93, 'B'));
    EXPECT_EQ(Value("1;PASS;" + std::string(493, 'C') + "\n", "PASS"), std::string(392, 'C'));
    EXPECT_EQ(Value("1;PASS;" + std::string(392, 'C') + "\n1;LOGIN;AB\n", "LOGIN"), "AB");
    EXPECT_EQ(Value("1;PASS;" + std::string(100000, 'D') + "\n1;LOGIN;AB\n", "LOGIN"), "AB");
    EXPECT_EQ(Value(std::string(100000, ';') + "\n1;LOGIN;AB", "LOGIN"), "AB");
}

TEST_F(ConfigFileTest, BinaryBytes) {
    EXPECT_EQ(Value(std::string("1;LOGIN;AB\0CD\n", 14), "LOGIN"), "AB");
    EXPECT_EQ(Value(std::string("\0;PASS;EF\n1;PASS;12\n", 20), "PASS"), "12");
    EXPECT_EQ(Value(std::string("1;LOGIN\0;AB\n1;LOGIN;CD\n", 23), "LOGIN"), "CD");
    EXPECT_EQ(Value("1;LOGIN;\xE4\xFF\x80\n", "LOGIN"), "\xE4\xFF\x80");
}

}  // namespace
