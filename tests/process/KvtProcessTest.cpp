#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kUsage =
    "Kvt - Berechnung der Schichtfreizeit\n"
    "Aufruf: Kvt IniDatei USER:Schema#Benutzer <PARM:nnnnn>\n"
    "\n";

// kvt run from work/, whose ../quorvanel_php/log is where a log would appear.
class KvtProcessTest : public ::testing::Test {
protected:
    KvtProcessTest() {
        std::filesystem::create_directories(m_dir.Path() / "work");
        std::filesystem::create_directories(LogDir());
        WriteBytes(m_dir.File("kvt.ini"), "1;DB_SYSTEM;00\n");
    }

    ProcessResult Run(const std::vector<std::string>& args) const {
        ProcessSpec launch;
        launch.m_args = {KVT_BINARY};
        launch.m_args.insert(launch.m_args.end(), args.begin(), args.end());
        launch.m_strWorkDir = m_dir.File("work");
        return RunProcess(launch);
    }

    std::filesystem::path LogDir() const { return m_dir.Path() / "quorvanel_php" / "log"; }

    TempDir m_dir;
};

TEST_F(KvtProcessTest, InvalidArgumentsPrintTheUsageAndEndWithTwoWithoutALog) {
    const std::string strConfig = m_dir.File("kvt.ini");
    const std::vector<std::vector<std::string>> invalid = {
        {}, {strConfig}, {strConfig, "USER:AB"}, {"USER:A#B", strConfig}, {m_dir.File("fehlt.ini"), "USER:A#B"},
        {"", ""}, {strConfig, std::string(100000, 'U')}};
    for (const std::vector<std::string>& args : invalid) {
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.m_nExitCode, 2);
        EXPECT_EQ(result.m_strOut, kUsage);
        EXPECT_EQ(result.m_strErr, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(LogDir()));
}

TEST_F(KvtProcessTest, ValidArgumentsStartTheRunWhichEndsWithThreeWhenNoDatabaseCanBeReached) {
    const ProcessResult result = Run({m_dir.File("kvt.ini"), "user:ab#cd", "parm:1"});
    EXPECT_EQ(result.m_nExitCode, 3);
    EXPECT_EQ(result.m_strOut, "Fehler beim Verbindungsaufbau zur Datenbank:\n SqlCode: 0\n SqlState: \n");
    EXPECT_TRUE(std::filesystem::exists(LogDir() / "CppKvt.log"));
}

}  // namespace
