// kvt as systemd runs it with Type=notify: its notifications arrive on the datagram socket named by
// NOTIFY_SOCKET, in UTF-8; with its standard error on the journal, its log entries reach the
// journal's socket as well.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "base/Cp1252.h"
#include "tests/e2e/KvtRunTest.h"

namespace {

// The service manager's or the journal's end: a datagram socket bound to a path, read after the
// program has ended.
class CNotifySocket {
public:
    explicit CNotifySocket(const std::string& strPath)
        : m_hSocket(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, strPath.c_str(), sizeof(address.sun_path) - 1);
        m_bBound = bind(m_hSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~CNotifySocket() { close(m_hSocket); }
    CNotifySocket(const CNotifySocket&) = delete;
    CNotifySocket& operator=(const CNotifySocket&) = delete;

    bool IsBound() const { return m_bBound; }

    std::vector<std::string> Received() const {
        std::vector<std::string> messages;
        char achBuffer[4096];
        for (ssize_t nRead; (nRead = recv(m_hSocket, achBuffer, sizeof(achBuffer), MSG_DONTWAIT)) >= 0;) {
            messages.emplace_back(achBuffer, static_cast<size_t>(nRead));
        }
        return messages;
    }

private:
    int m_hSocket;
    bool m_bBound = false;
};

TEST_F(KvtRunTest, UnderSystemdItReportsReadyItsRequestsAndTheStop) {
    Queue("7", "P7");
    const std::string strSocket = m_dir.File("notify");
    const CNotifySocket notifications(strSocket);
    ASSERT_TRUE(notifications.IsBound());

    ProcessSpec launch;
    launch.m_args = KvtArgs({"PARM:7"});
    launch.m_strWorkDir = WorkDir();
    launch.m_env = {"NOTIFY_SOCKET=" + strSocket};
    EXPECT_EQ(RunProcess(launch).m_nExitCode, 0);

    const std::vector<std::string> messages = notifications.Received();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages.front(),
              "READY=1\nSTATUS=Wartet auf Auftr\xC3\xA4ge; seit dem Start 0 erledigt, davon 0 mit Fehlern");
    const std::string strDone =
        "STATUS=Bearbeitet Auftr\xC3\xA4ge; seit dem Start 1 erledigt, davon 0 mit Fehlern; zuletzt Auftrag "
        "7 am ";
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [&](const std::string& strMessage) { return strMessage.rfind(strDone, 0) == 0; }),
              1);
    EXPECT_NE(std::find(messages.begin(), messages.end(), "WATCHDOG=1"), messages.end());
    EXPECT_EQ(messages.back(), "STOPPING=1");
}

// The value of a field of a journal entry in the journal's native protocol ("NAME=value" lines; a
// value with a line break would come as "NAME", a line break and its length in binary instead).
std::string JournalField(const std::string& strEntry, const std::string& strName) {
    const std::string strLine = "\n" + strEntry;
    const size_t nStart = strLine.find("\n" + strName + "=");
    if (nStart == std::string::npos) {
        return "(fehlt)";
    }
    const size_t nValue = nStart + strName.size() + 2;
    return strLine.substr(nValue, strLine.find('\n', nValue) - nValue);
}

// libsystemd sends journal entries to /run/systemd/journal/socket. kvt runs in a mount namespace of
// its own in which the test's socket is mounted there, so that the machine's journal is not
// involved, with JOURNAL_STREAM naming its standard error as systemd does for a service.
TEST_F(KvtRunTest, UnderSystemdEveryLogEntryIsOneJournalEntryWithoutTheSourceLocation) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "a mount namespace needs root";
    }
    Queue("5", "P5");
    m_raw.Exec("RENAME TABLE KVTTEST.ZTW327TAG TO KVTTEST.ZTW327TAG_WEG");
    std::filesystem::create_directories(m_dir.Path() / "journal");
    const CNotifySocket journal(m_dir.File("journal/socket"));
    ASSERT_TRUE(journal.IsBound());

    const std::string strInNamespace =
        "mount -t tmpfs tmpfs /run && mkdir -p /run/systemd/journal && "
        "mount --bind \"$0\" /run/systemd/journal && "
        "JOURNAL_STREAM=$(stat -L -c %d:%i /proc/self/fd/2) exec \"$@\"";
    ProcessSpec launch;
    launch.m_args = {"/usr/bin/unshare", "--mount", "sh", "-c", strInNamespace, m_dir.File("journal")};
    for (const std::string& strArg : WrappedCommand(KvtArgs({"PARM:5"}))) {
        launch.m_args.push_back(strArg);
    }
    launch.m_strWorkDir = WorkDir();
    const ProcessResult result = RunProcess(launch);
    m_raw.Exec("RENAME TABLE KVTTEST.ZTW327TAG_WEG TO KVTTEST.ZTW327TAG");
    ASSERT_EQ(result.m_nExitCode, 5) << result.m_strErr;
    EXPECT_EQ(result.m_strErr, "") << "the journal has every line for the operator already";

    // The failed statement's diagnostics hold line breaks; its entry is an error.
    const std::string strFailure = "Fehler : Datenbankfehler bei Funktion OpenKvtBewData,   1146 42S02 [";
    std::vector<std::string> messages;
    for (const std::string& strEntry : journal.Received()) {
        EXPECT_EQ(strEntry.find("CODE_"), std::string::npos) << strEntry;
        messages.push_back(JournalField(strEntry, "MESSAGE"));
        if (messages.back().rfind(strFailure, 0) == 0) {
            EXPECT_EQ(JournalField(strEntry, "PRIORITY"), "3");
        }
    }
    std::vector<std::string> logged;
    for (const std::string& strText : LogTexts()) {
        logged.push_back(Utf8FromCp1252(CString(strText.c_str())));
    }
    EXPECT_EQ(messages, logged);
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [&](const std::string& strText) { return strText.rfind(strFailure, 0) == 0; }),
              1);
}

}  // namespace
