#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "config/CIniConfig.h"
#include "config/CipherHex.h"
#include "config/CipherKey.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

namespace {

ProcessResult Crypt(std::vector<std::string> args, const std::string& strStdin = std::string()) {
    args.insert(args.begin(), KVT_CRYPT_BINARY);
    return RunProcess(args, strStdin);
}

std::string Encipher(const std::string& strPlain) {
    CString strKey;
    AssembleCipherKey(strKey);
    const CString strHex = EncryptHex(CString(strPlain.data(), static_cast<int>(strPlain.size())), strKey);
    strKey.Empty();
    return strHex.GetString();
}

int FileMode(const std::string& strPath) {
    struct stat info {};
    return stat(strPath.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

// kvt-crypt on a pseudo terminal, as an administrator would run it.
class TerminalChild {
public:
    explicit TerminalChild(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(KVT_CRYPT_BINARY));
        for (const std::string& strArg : args) {
            argv.push_back(const_cast<char*>(strArg.c_str()));
        }
        argv.push_back(nullptr);
        m_nPid = forkpty(&m_hMaster, nullptr, nullptr, nullptr);
        if (m_nPid == 0) {
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~TerminalChild() {
        if (m_nPid > 0) {
            kill(m_nPid, SIGKILL);
            waitpid(m_nPid, nullptr, 0);
        }
        if (m_hMaster >= 0) {
            close(m_hMaster);
        }
    }
    TerminalChild(const TerminalChild&) = delete;
    TerminalChild& operator=(const TerminalChild&) = delete;

    // Reads until the text has appeared since the last call; false at the end or after 10 s.
    bool WaitFor(const std::string& strText) {
        const auto deadline = Deadline();
        while (m_strOutput.find(strText, m_nSeen) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || !ReadSome()) {
                return false;
            }
        }
        m_nSeen = m_strOutput.find(strText, m_nSeen) + strText.size();
        return true;
    }

    void Type(const std::string& strText) {
        ASSERT_EQ(write(m_hMaster, strText.data(), strText.size()), static_cast<ssize_t>(strText.size()));
    }

    // Reads everything up to the child's end and returns its exit code, or -1.
    int Finish() {
        const auto deadline = Deadline();
        bool bOpen = true;
        while (bOpen && std::chrono::steady_clock::now() < deadline) {
            bOpen = ReadSome();
        }
        int nStatus = 0;
        if (bOpen || waitpid(m_nPid, &nStatus, 0) != m_nPid) {
            return -1;
        }
        m_nPid = -1;
        return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    }

    std::string m_strOutput;

private:
    static std::chrono::steady_clock::time_point Deadline() {
        return std::chrono::steady_clock::now() + std::chrono::seconds(10);
    }

    // False once the child has closed the terminal.
    bool ReadSome() {
        pollfd pollMaster = {m_hMaster, POLLIN, 0};
        if (poll(&pollMaster, 1, 100) <= 0) {
            return true;
        }
        char achBuffer[256];
        const ssize_t nRead = read(m_hMaster, achBuffer, sizeof(achBuffer));
        if (nRead <= 0) {
            return false;
        }
        m_strOutput.append(achBuffer, static_cast<size_t>(nRead));
        return true;
    }

    pid_t m_nPid = -1;
    int m_hMaster = -1;
    size_t m_nSeen = 0;
};

class KvtCryptTest : public ::testing::Test {
protected:
    void UseFile(const std::string& strContent) {
        WriteBytes(m_strFile, strContent);
        ASSERT_TRUE(m_config.SetIniFile(m_strFile.c_str()));
    }

    TempDir m_dir;
    std::string m_strFile = m_dir.File("kvt.ini");
    CIniConfig m_config;
};

TEST_F(KvtCryptTest, EncipheredValuesComeBackThroughTheGetters) {
    const std::vector<std::string> values = {"",
                                             "A",
                                             "MYSQL_1",
                                             "ABCDEFGH",
                                             "ABCDEFGHI",
                                             "0123456789ABCDEF",
                                             "0123456789ABCDEFG",
                                             "Gel\xF6scht \xE4\xFC\xDF\x80\xFF;"};
    for (const std::string& strValue : values) {
        SCOPED_TRACE(strValue.size());
        const ProcessResult encrypted = Crypt({"encrypt"}, strValue + "\n");
        ASSERT_EQ(encrypted.m_nExitCode, 0) << encrypted.m_strErr;
        EXPECT_EQ(encrypted.m_strErr, "");
        ASSERT_EQ(encrypted.m_strOut.back(), '\n');
        const std::string strHex = encrypted.m_strOut.substr(0, encrypted.m_strOut.size() - 1);
        EXPECT_EQ(strHex.size(), (strValue.size() + 7) / 8 * 16);

        UseFile("1;PASS;" + strHex + "\n");
        EXPECT_EQ(std::string(m_config.GetPass()), strValue);
        const ProcessResult decrypted = Crypt({"decrypt"}, encrypted.m_strOut);
        EXPECT_EQ(decrypted.m_nExitCode, 0);
        EXPECT_EQ(decrypted.m_strOut, strValue + "\n");
    }
}

TEST_F(KvtCryptTest, OneLineBreakEndsTheValue) {
    const std::string strHex = Encipher("wert") + "\n";
    EXPECT_EQ(Crypt({"encrypt"}, "wert").m_strOut, strHex);
    EXPECT_EQ(Crypt({"encrypt"}, "wert\r\n").m_strOut, strHex);
    EXPECT_EQ(Crypt({"encrypt"}, "").m_strOut, "\n");
    for (const std::string& strInput :
         std::vector<std::string>{"wert\n\n", "we\nrt\n", std::string("we\0rt\n", 6), "we\rrt"}) {
        const ProcessResult result = Crypt({"encrypt"}, strInput);
        EXPECT_EQ(result.m_nExitCode, 1);
        EXPECT_EQ(result.m_strOut, "");
        EXPECT_NE(result.m_strErr.find("Zeilenumbruch"), std::string::npos);
    }
}

TEST_F(KvtCryptTest, DecryptTakesWholeGroupsInEitherCase) {
    const std::string strHex = Encipher("Anwender");
    std::string strLower;
    for (char ch : strHex) {
        strLower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    EXPECT_EQ(Crypt({"decrypt"}, "  " + strLower + " \r\n").m_strOut, "Anwender\n");
    std::string strNotHex = strHex;
    strNotHex[0] = 'G';
    for (const std::string& strInput : {strHex.substr(0, 15), strHex + "0", strNotHex}) {
        const ProcessResult result = Crypt({"decrypt"}, strInput);
        EXPECT_EQ(result.m_nExitCode, 1);
        EXPECT_EQ(result.m_strOut, "");
        EXPECT_NE(result.m_strErr, "");
    }
}

TEST_F(KvtCryptTest, WriteProducesAPrivateFileForTheGetters) {
    WriteBytes(m_strFile,
               "alter Inhalt, viel l\xE4nger als die neuen Zeilen zusammen ..........................\n");
    chmod(m_strFile.c_str(), 0666);
    const ProcessResult result =
        Crypt({"write", "--force", m_strFile}, "MYSQL\nkvt_dsn\r\nAnwender\nGeheim;\xF6\xFF\n\n");
    ASSERT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    EXPECT_EQ(result.m_strOut, "");
    EXPECT_EQ(FileMode(m_strFile), 0600);
    EXPECT_EQ(ReadBytes(m_strFile), "1;DB_SYSTEM;" + Encipher("MYSQL") + "\n1;DATABASE;" +
                                        Encipher("kvt_dsn") + "\n1;LOGIN;" + Encipher("Anwender") +
                                        "\n1;PASS;" + Encipher("Geheim;\xF6\xFF") + "\n1;SCHEMA;\n");

    ASSERT_TRUE(m_config.SetIniFile(m_strFile.c_str()));
    EXPECT_STREQ(m_config.GetDbSystem(), "MYSQL");
    EXPECT_STREQ(m_config.GetDatabase(), "kvt_dsn");
    EXPECT_STREQ(m_config.GetLogin(), "Anwender");
    EXPECT_STREQ(m_config.GetPass(), "Geheim;\xF6\xFF");
    EXPECT_TRUE(m_config.GetSchema().IsEmpty());

    const std::string strNewFile = m_dir.File("neu.ini");
    ASSERT_EQ(Crypt({"write", strNewFile}, "ORACLE\ndsn\nlogin\npass\nZTW\n").m_nExitCode, 0);
    EXPECT_EQ(FileMode(strNewFile), 0600);

    // "-" writes the same text to standard output, for a program that stores it elsewhere.
    const ProcessResult printed = Crypt({"write", "-"}, "ORACLE\ndsn\nlogin\npass\nZTW\n");
    EXPECT_EQ(printed.m_nExitCode, 0);
    EXPECT_EQ(printed.m_strOut, ReadBytes(strNewFile));
}

// For a service that reads the file as a member of its group.
TEST_F(KvtCryptTest, WriteGivesTheFileToAGroupOnRequest) {
    const struct group* pGroup = getgrgid(getgid());
    ASSERT_NE(pGroup, nullptr);
    const std::string strGroup = pGroup->gr_name;
    const ProcessResult written = Crypt({"write", "--group", strGroup, m_strFile}, "MSSQL\nd\nl\np\nZTW\n");
    ASSERT_EQ(written.m_nExitCode, 0) << written.m_strErr;
    EXPECT_EQ(FileMode(m_strFile), 0640);
    struct stat info {};
    ASSERT_EQ(stat(m_strFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_gid, getgid());

    const std::string strOther = m_dir.File("andere.ini");
    const ProcessResult unknown = Crypt({"write", "--group", "keine-solche-gruppe", strOther}, "MYSQL\n");
    EXPECT_EQ(unknown.m_nExitCode, 1);
    EXPECT_NE(unknown.m_strErr.find("keine-solche-gruppe"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(strOther));
}

TEST_F(KvtCryptTest, WriteRefusesBadInputAndLeavesTheFileAlone) {
    const std::string strOld = "1;LOGIN;ALT\n";
    WriteBytes(m_strFile, strOld);
    const std::string strNul("MYSQL\ndsn\nlog\0in\npass\nschema\n", 29);
    for (const std::string& strInput :
         {strNul, std::string("MYSQL\ndsn\nlogin\npass\n"), std::string(),
          std::string("mysql\ndsn\nlogin\npass\nschema\n"), std::string("MYSQL\ndsn\nlogin\n\nschema\n"),
          std::string("MYSQL\n\nlogin\npass\nschema\n")}) {
        const ProcessResult result = Crypt({"write", "--force", m_strFile}, strInput);
        EXPECT_EQ(result.m_nExitCode, 1);
        EXPECT_EQ(ReadBytes(m_strFile), strOld);
    }
    EXPECT_NE(Crypt({"write", "--force", m_strFile}, strNul).m_strErr.find("LOGIN"), std::string::npos);
    EXPECT_NE(Crypt({"write", "--force", m_strFile}, "MYSQL\n").m_strErr.find("DATABASE"), std::string::npos);
    EXPECT_EQ(Crypt({"write", "--force", m_strFile}, "MYSQL\nd\nl\n\n").m_strErr,
              "kvt-crypt: PASS darf nicht leer sein.\n");
    EXPECT_NE(Crypt({"write", "--force", m_strFile}, "POSTGRES\n").m_strErr.find("ORACLE, MSSQL oder MYSQL"),
              std::string::npos);

    // An existing file is refused before any value is asked for.
    const ProcessResult existing = Crypt({"write", m_strFile}, "MYSQL\ndsn\nlogin\npass\nschema\n");
    EXPECT_EQ(existing.m_nExitCode, 1);
    EXPECT_NE(existing.m_strErr.find("--force"), std::string::npos);
    EXPECT_EQ(ReadBytes(m_strFile), strOld);

    const ProcessResult unwritable =
        Crypt({"write", "--force", m_dir.Path().string()}, "MYSQL\nb\nc\nd\ne\n");
    EXPECT_EQ(unwritable.m_nExitCode, 1);
    EXPECT_NE(unwritable.m_strErr.find(m_dir.Path().string()), std::string::npos);
}

TEST_F(KvtCryptTest, UsageNamesAllCommands) {
    const std::vector<std::vector<std::string>> wrongCalls = {{},
                                                              {"frobnicate"},
                                                              {"write"},
                                                              {"encrypt", "geheim"},
                                                              {"decrypt", "x", "y"},
                                                              {"--help", "x"},
                                                              {"write", "--group"},
                                                              {"write", "--forse", "x"},
                                                              {"write", "x", "y"},
                                                              {"write", "--force", "-"},
                                                              {"write", "--group", "kvt", "-"}};
    for (const std::vector<std::string>& args : wrongCalls) {
        const ProcessResult result = Crypt(args);
        EXPECT_EQ(result.m_nExitCode, 2);
        EXPECT_EQ(result.m_strOut, "");
        EXPECT_NE(result.m_strErr.find("kvt-crypt write [--force]"), std::string::npos);
    }
    const ProcessResult help = Crypt({"--help"});
    EXPECT_EQ(help.m_nExitCode, 0);
    for (const char* pszCommand :
         {"kvt-crypt encrypt", "kvt-crypt decrypt", "kvt-crypt write [--force] [--group GRUPPE] DATEI"}) {
        EXPECT_NE(help.m_strOut.find(pszCommand), std::string::npos);
    }
    const ProcessResult version = Crypt({"--version"});
    EXPECT_EQ(version.m_nExitCode, 0);
    EXPECT_EQ(version.m_strOut, "kvt-crypt " KVT_VERSION "\n");
}

// Its own texts in the terminal's character set; a path as the user gave it.
TEST_F(KvtCryptTest, MessagesAreInTheTerminalsCharacterSet) {
    const auto run = [](const char* pszLocale, const std::vector<std::string>& args,
                        const std::string& strIn) {
        ProcessSpec launch;
        launch.m_args = args;
        launch.m_args.insert(launch.m_args.begin(), KVT_CRYPT_BINARY);
        launch.m_strStdin = strIn;
        launch.m_env = {std::string("LC_ALL=") + pszLocale};
        return RunProcess(launch);
    };
    EXPECT_NE(run("C.UTF-8", {"--help"}, "").m_strOut.find("vollst\xC3\xA4ndige"), std::string::npos);
    EXPECT_NE(run("C", {"--help"}, "").m_strOut.find("vollst?ndige"), std::string::npos);
    EXPECT_NE(run("C.UTF-8", {"write"}, "").m_strErr.find("f\xC3\xBCr PASS ohne Echo"), std::string::npos);

    const std::string strPath = m_dir.File(
        "pr\xC3\xBC"
        "fung/kvt.ini");
    EXPECT_EQ(run("C.UTF-8", {"write", strPath}, "MYSQL\n").m_strErr,
              "kvt-crypt: Die Eingabe endet vor dem Wert f\xC3\xBCr DATABASE.\n");
    EXPECT_EQ(run("C.UTF-8", {"write", strPath}, "MYSQL\nd\nl\np\n\n").m_strErr,
              "kvt-crypt: " + strPath + " kann nicht geschrieben werden: No such file or directory\n");
}

TEST_F(KvtCryptTest, TerminalInputOfSecretsIsNotEchoed) {
    TerminalChild encrypt({"encrypt"});
    ASSERT_TRUE(encrypt.WaitFor("Wert: "));
    encrypt.Type("geheim\n");
    EXPECT_EQ(encrypt.Finish(), 0);
    EXPECT_EQ(encrypt.m_strOutput.find("geheim"), std::string::npos);
    EXPECT_NE(encrypt.m_strOutput.find(Encipher("geheim")), std::string::npos);

    TerminalChild write({"write", m_strFile});
    for (const char* pszAnswer :
         {"DB_SYSTEM: MYSQL", "DATABASE: kvt_dsn", "LOGIN: anwender", "PASS: streng", "SCHEMA: ZTW"}) {
        const std::string strAnswer = pszAnswer;
        const size_t nSplit = strAnswer.find(' ') + 1;
        ASSERT_TRUE(write.WaitFor(strAnswer.substr(0, nSplit))) << write.m_strOutput;
        write.Type(strAnswer.substr(nSplit) + "\n");
    }
    EXPECT_EQ(write.Finish(), 0);
    EXPECT_NE(write.m_strOutput.find("anwender"), std::string::npos);
    EXPECT_NE(write.m_strOutput.find("ZTW"), std::string::npos);
    EXPECT_EQ(write.m_strOutput.find("streng"), std::string::npos);
    ASSERT_TRUE(m_config.SetIniFile(m_strFile.c_str()));
    EXPECT_STREQ(m_config.GetPass(), "streng");
}

}  // namespace
