// The fixture of the database suites: the program's own CDbConnection, configured through an
// enciphered configuration file and connected to the private test server, run once per product
// that can run here (MYSQL, and ORACLE on MariaDB's ORACLE mode), plus a plain connection for
// loading data and checking results. Each test starts from empty request and error tables.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "config/CIniConfig.h"
#include "db/CDbConnection.h"
#include "db/ErrorRecords.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/ConfigFile.h"
#include "tests/support/TempDir.h"

struct DialectCase {
    const char* pszName;
    const char* pszDbSystem;
    const char* pszDsn;
    const char* pszSchema;
    bool bBackslashEscapes;  // the server reads a backslash in a literal as an escape
};

inline const DialectCase kMySqlCase{"MYSQL", "MYSQL", CTestDatabase::DSN_MYSQL, CTestDatabase::SCHEMA_MYSQL, true};
inline const DialectCase kOracleCase{"ORACLE", "ORACLE", CTestDatabase::DSN_ORACLE, CTestDatabase::SCHEMA_ORACLE,
                                     false};
// MYSQL statements on a server that reads backslashes literally (sql_mode NO_BACKSLASH_ESCAPES).
inline const DialectCase kMySqlLiteralBackslashCase{"MYSQL_NBE", "MYSQL", "KVT_MYSQL_NBE",
                                                    CTestDatabase::SCHEMA_MYSQL, false};

inline std::string DialectName(const ::testing::TestParamInfo<DialectCase>& info) {
    return info.param.pszName;
}

class KvtDbTest : public ::testing::TestWithParam<DialectCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_raw.Connect(GetParam().pszDsn));
        m_raw.Exec("DELETE FROM ZTWBASIS.ZTW002PRM");
        m_raw.Exec("DELETE FROM ZTWBASIS.ZTW002ERR");
        g_errorTableWithoutNum = false;
        ConnectProgram(CTestDatabase::PASSWORD);
    }

    // Writes the configuration file and connects the program's connection with it.
    int32_t ConnectProgram(const std::string& strPassword, const std::string& strDsn = std::string()) {
        WriteConfigFile(m_configPath, {GetParam().pszDbSystem, strDsn.empty() ? GetParam().pszDsn : strDsn,
                                       CTestDatabase::LOGIN, strPassword, GetParam().pszSchema});
        m_config.SetIniFile(m_configPath.c_str());
        m_db.SetConfig(&m_config);
        m_db.SetSchema(GetParam().pszSchema);
        return m_db.Connect();
    }

    const char* Schema() const { return GetParam().pszSchema; }

    CTestDatabase m_raw;
    TempDir m_dir;
    std::string m_configPath = m_dir.File("kvt.ini");
    CIniConfig m_config;
    CDbConnection m_db;
};
