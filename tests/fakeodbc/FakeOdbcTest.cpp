#include "tests/fakeodbc/FakeOdbcTest.h"

#include <string>

#include "config/CipherHex.h"
#include "config/CipherKey.h"
#include "db/ErrorRecords.h"

namespace {

std::string Encipher(const char* pszPlain) {
    CString strKey;
    AssembleCipherKey(strKey);
    const CString strHex = EncryptHex(pszPlain, strKey);
    strKey.Empty();
    return strHex.GetString();
}

}  // namespace

void CFakeOdbcTest::SetUp() {
    g_fakeOdbc.Reset();
    g_errorTableWithoutNum = false;
}

void CFakeOdbcTest::TearDown() {
    m_pDb.reset();
    EXPECT_EQ(g_fakeOdbc.LiveHandles(), 0) << "the connection left a handle behind";
    EXPECT_EQ(g_fakeOdbc.InvalidHandleUses(), 0) << "a freed, foreign or mistyped handle reached ODBC";
    g_errorTableWithoutNum = false;
}

int32_t CFakeOdbcTest::Connect(const char* pszDbSystem) {
    const std::string strFile = m_dir.File("kvt.ini");
    WriteBytes(strFile, "1;DB_SYSTEM;" + Encipher(pszDbSystem) + "\n1;DATABASE;" + Encipher(DATA_SOURCE) +
                            "\n1;LOGIN;" + Encipher(LOGIN) + "\n1;PASS;" + Encipher(PASSWORD) +
                            "\n1;SCHEMA;" + Encipher(SCHEMA) + "\n");
    if (!m_config.SetIniFile(strFile.c_str())) {
        ADD_FAILURE() << "configuration file not found: " << strFile;
        return -1;
    }
    m_pDb->SetConfig(&m_config);
    const int32_t nResult = m_pDb->Connect();
    g_fakeOdbc.ClearExecutions();
    return nResult;
}
