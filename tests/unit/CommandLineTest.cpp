#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Globals.h"
#include "tests/support/TempDir.h"

namespace {

struct Parsed {
    bool bValid;
    std::string schema;
    std::string user;
    std::string requestNumber;
    bool bSingle;
};

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() { WriteBytes(m_config, "1;DB_SYSTEM;00\n"); }

    Parsed Parse(std::vector<std::string> args) const {
        g_schema.Empty();
        g_user.Empty();
        g_requestNumber.Empty();
        g_singleRequest = false;
        args.insert(args.begin(), "kvt");
        std::vector<const char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(arg.c_str());
        }
        const bool bValid = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        return {bValid, g_schema.GetString(), g_user.GetString(), g_requestNumber.GetString(),
                g_singleRequest};
    }

    TempDir m_dir;
    std::string m_config = m_dir.File("kvt.ini");
};

TEST_F(CommandLineTest, SchemaAndUserAreSplitAtTheFirstHashAndUpperCased) {
    const Parsed lower = Parse({m_config, "user:ab#cd"});
    EXPECT_TRUE(lower.bValid);
    EXPECT_EQ(lower.schema, "AB");
    EXPECT_EQ(lower.user, "CD");
    EXPECT_FALSE(lower.bSingle);

    const Parsed empty = Parse({m_config, "USER:#"});
    EXPECT_TRUE(empty.bValid);
    EXPECT_EQ(empty.schema, "");
    EXPECT_EQ(empty.user, "");

    const Parsed twoHashes = Parse({m_config, "UsEr:A#b#z"});
    EXPECT_TRUE(twoHashes.bValid);
    EXPECT_EQ(twoHashes.schema, "A");
    EXPECT_EQ(twoHashes.user, "B#Z");
}

TEST_F(CommandLineTest, OnlyAThirdArgumentWithThePrefixSelectsSingleRequestMode) {
    const Parsed number = Parse({m_config, "USER:A#B", "parm:00042x"});
    EXPECT_TRUE(number.bValid);
    EXPECT_TRUE(number.bSingle);
    EXPECT_EQ(number.requestNumber, "00042X");

    const Parsed emptyNumber = Parse({m_config, "USER:A#B", "PARM:"});
    EXPECT_TRUE(emptyNumber.bValid);
    EXPECT_TRUE(emptyNumber.bSingle);
    EXPECT_EQ(emptyNumber.requestNumber, "");

    const Parsed ignored = Parse({m_config, "USER:A#B", "42", "PARM:7"});
    EXPECT_TRUE(ignored.bValid);
    EXPECT_FALSE(ignored.bSingle);
    EXPECT_EQ(ignored.requestNumber, "");
}

TEST_F(CommandLineTest, InvalidArgumentsAreRejected) {
    EXPECT_FALSE(Parse({}).bValid);
    EXPECT_FALSE(Parse({m_config}).bValid);
    EXPECT_FALSE(Parse({m_config, "USER:AB"}).bValid);
    EXPECT_FALSE(Parse({"USER:A#B", m_config}).bValid);
    EXPECT_FALSE(Parse({m_config, "USER"}).bValid);
    EXPECT_FALSE(Parse({m_config, ""}).bValid);
    EXPECT_FALSE(Parse({"", "USER:A#B"}).bValid);
    EXPECT_FALSE(Parse({m_config, " USER:A#B"}).bValid);
}

TEST_F(CommandLineTest, AMissingConfigurationFileRejectsOtherwiseValidArguments) {
    EXPECT_FALSE(Parse({m_dir.File("fehlt.ini"), "USER:A#B", "PARM:1"}).bValid);
}

TEST_F(CommandLineTest, VeryLongArgumentsAreTakenWhole) {
    const std::string longSchema(100000, 's');
    const std::string longUser(100000, 'u');
    const Parsed parsed = Parse({m_config, "USER:" + longSchema + "#" + longUser, "PARM:" + longUser});
    EXPECT_TRUE(parsed.bValid);
    EXPECT_EQ(parsed.schema, std::string(100000, 'S'));
    EXPECT_EQ(parsed.user, std::string(100000, 'U'));
    EXPECT_EQ(parsed.requestNumber, std::string(100000, 'U'));
}

}  // namespace
