#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ConfigFile.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kUsage =
    "Kvt - Berechnung der Schichtfreizeit\n"
    "Aufruf: Kvt IniDatei USER:Schema#Benutzer <PARM:nnnnn>\n"
    "\n";
const std::string kConnectFailure = "Fehler beim Verbindungsaufbau zur Datenbank:\n";

// kvt run from work/, whose ../quorvanel_php/log is where a log would appear. The driver manager
// reads an odbc.ini of the test's own, so that no data source of the machine is found; its one data
// source KVT_NIRGENDS names a MariaDB server on a port where none listens.
class KvtProcessTest : public ::testing::Test {
protected:
    KvtProcessTest() {
        std::filesystem::create_directories(m_dir.Path() / "work");
        std::filesystem::create_directories(LogDir());
        WriteConfigFile(m_dir.File("kvt.ini"), {"MYSQL", "KVT_NIRGENDS", "kvt", "geheim", "S"});
        WriteBytes(m_dir.File("odbc.ini"), "[KVT_NIRGENDS]\nDriver=" + MariaDbDriver() +
                                               "\nServer=127.0.0.1\nPort=1\nCHARSET=latin1\n");
    }

    static std::string MariaDbDriver() {
        for (const char* pszPath : {"/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libmaodbc.so"}) {
            if (std::filesystem::exists(pszPath)) {
                return pszPath;
            }
        }
        return "libmaodbc.so";
    }

    ProcessResult Run(const std::vector<std::string>& args) const {
        ProcessSpec launch;
        launch.m_args = {KVT_BINARY};
        launch.m_args.insert(launch.m_args.end(), args.begin(), args.end());
        launch.m_strWorkDir = m_dir.File("work");
        launch.m_env = {"ODBCINI=" + m_dir.File("odbc.ini"), "ODBCSYSINI=" + m_dir.Path().string()};
        return RunProcess(launch);
    }

    std::filesystem::path LogDir() const { return m_dir.Path() / "quorvanel_php" / "log"; }

    TempDir m_dir;
};

TEST_F(KvtProcessTest, InvalidArgumentsPrintTheUsageAndEndWithTwoWithoutALog) {
    const std::string strConfig = m_dir.File("kvt.ini");
    const std::vector<std::vector<std::string>> invalid = {{},
                                                           {strConfig},
                                                           {strConfig, "USER:AB"},
                                                           {"USER:A#B", strConfig},
                                                           {"", ""},
                                                           {strConfig, std::string(100000, 'U')}};
    for (const std::vector<std::string>& args : invalid) {
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.m_nExitCode, 2);
        EXPECT_EQ(result.m_strOut, kUsage);
        EXPECT_EQ(result.m_strErr, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(LogDir()));
}

TEST_F(KvtProcessTest, HelpAndVersionEndWithZero) {
    const ProcessResult help = Run({"--help"});
    EXPECT_EQ(help.m_nExitCode, 0);
    EXPECT_EQ(help.m_strOut.rfind(kUsage + "Exitcodes:\n", 0), 0u) << help.m_strOut;
    for (const char* pszCode : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  ", "\n  4  ", "\n  5  "}) {
        EXPECT_NE(help.m_strOut.find(pszCode), std::string::npos) << pszCode;
    }
    const ProcessResult version = Run({"--version"});
    EXPECT_EQ(version.m_nExitCode, 0);
    EXPECT_EQ(version.m_strOut, "kvt " KVT_VERSION "\n");
}

TEST_F(KvtProcessTest, ValidArgumentsStartTheRunWhichEndsWithThreeWhenNoDatabaseCanBeReached) {
    const ProcessResult result = Run({m_dir.File("kvt.ini"), "user:ab#cd", "parm:1"});
    EXPECT_EQ(result.m_nExitCode, 3);
    EXPECT_EQ(result.m_strOut.rfind(kConnectFailure + " SqlCode: 2002\n SqlState: HY000\n", 0), 0u)
        << result.m_strOut;
    struct stat info {};
    ASSERT_EQ(stat((LogDir() / "CppKvt.log").c_str(), &info), 0);
    const mode_t umaskNow = umask(0);
    umask(umaskNow);
    EXPECT_EQ(info.st_mode & 0777, 0640 & ~umaskNow) << "the log names persons: not for everybody";
}

// One line on standard error for each thing that is wrong with the configuration file, naming the
// file; kvt ends with 2 before it tries to log in with it.
TEST_F(KvtProcessTest, StartUpErrorsNameTheConfigurationFileAndTheCause) {
    const std::string strFile = m_dir.File("start.ini");
    const std::string strIn = "kvt: Konfigurationsdatei " + strFile;
    const ConfigValues valid{"MYSQL", "KVT_FEHLT", "kvt", "geheim", "S"};
    ConfigValues lowerCase = valid;
    lowerCase.strDbSystem = "mysql";
    const std::string strWithoutPass = ConfigText(valid).substr(0, ConfigText(valid).find("1;PASS;"));
    // A login enciphered with another key deciphers to bytes that no login holds.
    std::string strForeignLogin = ConfigText(valid);
    const size_t nLogin = strForeignLogin.find("1;LOGIN;") + 8;
    strForeignLogin.replace(nLogin, strForeignLogin.find('\n', nLogin) - nLogin, "1111111111111111");
    std::string strPlainProduct = ConfigText(valid);
    strPlainProduct.replace(12, 16, "MYSQL");
    struct Case {
        bool bDirectory;
        std::string strContent;
        std::string strErr;
    };
    const std::vector<Case> cases = {
        {true, "", strIn + " nicht lesbar: Is a directory\n"},
        {false, "", strIn + " ist leer\n"},
        {false, "\n",
         strIn + ": Eintrag DB_SYSTEM fehlt oder ist leer\n" + strIn +
             ": Eintrag DATABASE fehlt oder ist leer\n" + strIn + ": Eintrag LOGIN fehlt oder ist leer\n" +
             strIn + ": Eintrag PASS fehlt oder ist leer\n"},
        {false, strWithoutPass, strIn + ": Eintrag PASS fehlt oder ist leer\n"},
        {false, strForeignLogin,
         strIn + ": Wert von LOGIN l\xE4sst sich nicht entschl\xFCsseln (kvt-crypt write)\n"},
        {false, strPlainProduct, strIn + ": Wert von DB_SYSTEM ist nicht chiffriert (kvt-crypt write)\n"},
        {false, ConfigText(lowerCase),
         strIn + ": DB_SYSTEM ist \"mysql\", erlaubt sind ORACLE, MSSQL und MYSQL (in Grossbuchstaben)\n"},
        {false, ConfigText(valid),
         strIn + ": Datenquelle \"KVT_FEHLT\" (DATABASE) ist nicht definiert (odbc.ini)\n"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.strErr);
        std::filesystem::remove_all(strFile);
        if (test.bDirectory) {
            std::filesystem::create_directory(strFile);
        } else {
            WriteBytes(strFile, test.strContent);
        }
        const ProcessResult result = Run({strFile, "USER:A#B"});
        EXPECT_EQ(result.m_nExitCode, 2);
        EXPECT_EQ(result.m_strOut, "");
        EXPECT_EQ(result.m_strErr, test.strErr);
    }

    const std::string strMissing = m_dir.File("fehlt.ini");
    const ProcessResult missing = Run({strMissing, "USER:A#B"});
    EXPECT_EQ(missing.m_nExitCode, 2);
    EXPECT_EQ(missing.m_strOut, kUsage);
    EXPECT_EQ(missing.m_strErr, "kvt: Konfigurationsdatei " + strMissing + " nicht gefunden\n");
}

// A log directory that is missing is said once, however many entries are lost.
TEST_F(KvtProcessTest, AnUnusableLogIsReportedOnceOnStandardError) {
    std::filesystem::remove(LogDir());
    const ProcessResult result = Run({m_dir.File("kvt.ini"), "USER:A#B", "PARM:1"});
    EXPECT_EQ(result.m_nExitCode, 3);
    const std::string strLine =
        "kvt: Protokolldatei ../quorvanel_php/log/CppKvt.log nicht beschreibbar (No such file or directory); "
        "kvt "
        "arbeitet ohne sie weiter\n";
    EXPECT_EQ(result.m_strErr.rfind(strLine, 0), 0u) << result.m_strErr;
    EXPECT_EQ(result.m_strErr.find("Protokolldatei", strLine.size()), std::string::npos);
}

}  // namespace
