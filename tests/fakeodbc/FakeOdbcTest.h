// CFakeOdbcTest: the fixture of the suites that run the connection against the fake driver. Each
// test gets a fresh g_fakeOdbc, a configuration file of its own and a connection that the fixture
// owns. At the end the connection is destroyed, and no handle may be left alive or have been
// misused.
// The process-wide error-table flag is cleared before and after every test.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "config/CIniConfig.h"
#include "db/CDbConnection.h"
#include "tests/fakeodbc/CFakeOdbc.h"
#include "tests/support/TempDir.h"

class CFakeOdbcTest : public ::testing::Test {
protected:
    static constexpr const char* DATA_SOURCE = "KVT_DSN";
    static constexpr const char* LOGIN = "kvtuser";
    static constexpr const char* PASSWORD = "Geheim#42";
    static constexpr const char* SCHEMA = "ZTW0815";

    void SetUp() override;
    void TearDown() override;

    // Writes a configuration file naming the product (enciphered like every value) and connects.
    // What the connection sends to set up its session is not kept among the executions.
    int32_t Connect(const char* pszDbSystem = "MSSQL");

    TempDir m_dir;
    CIniConfig m_config;
    std::unique_ptr<CDbConnection> m_pDb = std::make_unique<CDbConnection>();
};
