#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "log/CLogFile.h"
#include "tests/support/TempDir.h"

namespace {

// "dd.mm.yyyy hh:mm:ss - ": digits where the pattern has 9.
bool HasTimestampPrefix(const std::string& strLine) {
    const std::string strPattern = "99.99.9999 99:99:99 - ";
    if (strLine.size() < strPattern.size()) {
        return false;
    }
    for (size_t i = 0; i < strPattern.size(); ++i) {
        const bool bDigit = strLine[i] >= '0' && strLine[i] <= '9';
        if (strPattern[i] == '9' ? !bDigit : strLine[i] != strPattern[i]) {
            return false;
        }
    }
    return true;
}

class LogFileTest : public ::testing::Test {
protected:
    LogFileTest() { m_log.SetFileName(m_dir.Path().c_str(), "CppKvt"); }

    std::string LogBytes() const { return ReadBytes(m_dir.File("CppKvt.log")); }
    std::string OldBytes() const { return ReadBytes(m_dir.File("CppKvt.old")); }
    bool HasOld() const { return std::filesystem::exists(m_dir.File("CppKvt.old")); }

    TempDir m_dir;
    CLogFile m_log;
};

TEST_F(LogFileTest, TimestampedEntryCarriesTheTextUnchangedAfterATwentyTwoCharacterPrefix) {
    m_log.Write("100% %s %d %n fertig", true);
    m_log.Write("a\nb", true);
    m_log.Write("weiter", false);

    const std::string bytes = LogBytes();
    const std::string first = bytes.substr(0, bytes.find('\n') + 1);
    EXPECT_TRUE(HasTimestampPrefix(first));
    EXPECT_EQ(first.substr(22), "100% %s %d %n fertig\n");

    // A text with a line break stays one line, and a continuation entry is indented under the text
    // of a timestamped one.
    const std::string rest = bytes.substr(first.size());
    EXPECT_EQ(rest.substr(22), "a b\n                      weiter\n");
}

TEST(LogFileOneLine, LineBreaksAndTheBlanksAroundThemBecomeOneSpace) {
    EXPECT_STREQ(OneLine("Fehler beim Verbindungsaufbau zur Datenbank:\n SqlCode: 2002\n SqlState: HY000\n"
                         "[ma-3.1.15]Can't connect\n"),
                 "Fehler beim Verbindungsaufbau zur Datenbank: SqlCode: 2002 SqlState: HY000 "
                 "[ma-3.1.15]Can't connect");
    EXPECT_STREQ(OneLine("Funktion X,   1146\r\n42S02 \r\n\r\n \tTabelle"),
                 "Funktion X,   1146 42S02 Tabelle");
    EXPECT_STREQ(OneLine("\n\tvorn und hinten \r"), "vorn und hinten");
    EXPECT_STREQ(OneLine("  ohne Umbruch,  wie er ist "), "  ohne Umbruch,  wie er ist ");
}

TEST_F(LogFileTest, TextsAreWrittenAsWindows1252Bytes) {
    m_log.Write(
        "F\xFC"
        "r Personalnummer 4711 gel\xF6scht",
        true);
    const std::string bytes = LogBytes();
    EXPECT_NE(bytes.find("\x46\xFC\x72"), std::string::npos);
    EXPECT_NE(bytes.find("gel\xF6scht"), std::string::npos);
}

TEST_F(LogFileTest, AFileOfExactlyTheLimitIsRotatedOnlyByTheWriteAfterTheNextOne) {
    m_log.SetMaxSize(2000000);
    WriteBytes(m_dir.File("CppKvt.log"), std::string(2000000, 'x'));
    WriteBytes(m_dir.File("CppKvt.old"), "previous backup");

    m_log.Write("erster", true);
    EXPECT_EQ(OldBytes(), "previous backup");
    const size_t sizeAfterFirst = LogBytes().size();
    EXPECT_GT(sizeAfterFirst, 2000000u);

    m_log.Write("zweiter", true);
    EXPECT_EQ(OldBytes().size(), sizeAfterFirst);
    const std::string fresh = LogBytes();
    EXPECT_EQ(fresh.substr(22), "zweiter\n");
}

TEST_F(LogFileTest, ALimitOfZeroNeverRotates) {
    WriteBytes(m_dir.File("CppKvt.log"), std::string(3000000, 'x'));
    m_log.Write("eintrag", true);
    EXPECT_FALSE(HasOld());
    EXPECT_GT(LogBytes().size(), 3000000u);
}

TEST_F(LogFileTest, ADeletedLogFileIsCreatedAgainByTheNextWrite) {
    m_log.Write("eins", true);
    std::filesystem::remove(m_dir.File("CppKvt.log"));
    m_log.Write("zwei", true);
    EXPECT_EQ(LogBytes().substr(22), "zwei\n");
}

TEST(LogFileNaming, EntriesAreDroppedSilentlyWhileUnnamedOrWhenTheDirectoryIsMissing) {
    TempDir dir;
    CLogFile log;
    log.Write("unbenannt", true);

    log.SetFileName((dir.Path() / "fehlt").c_str(), "CppKvt");
    log.Write("verloren", true);

    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(LogFileNaming, BackslashesOfTheDirectoryBecomeTheSlashOfThisPlatform) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "quorvanel_php" / "log");
    std::filesystem::create_directories(dir.Path() / "work");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path() / "work");

    CLogFile log;
    log.SetFileName("..\\quorvanel_php\\log", "CppKvt");
    log.Write("gestartet", true);

    std::filesystem::current_path(previous);
    EXPECT_EQ(ReadBytes(dir.File("quorvanel_php/log/CppKvt.log")).substr(22), "gestartet\n");
}

}  // namespace
