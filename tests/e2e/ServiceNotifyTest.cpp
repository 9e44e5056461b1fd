// kvt as systemd runs it with Type=notify: its notifications arrive on the datagram socket named by
// NOTIFY_SOCKET, in UTF-8.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "tests/e2e/KvtRunTest.h"

namespace {

// The service manager's end: a datagram socket bound to a path, read after the program has ended.
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

}  // namespace
