#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/Blowfish.h"
#include "config/CIniConfig.h"
#include "config/CipherHex.h"

namespace {

const CString kKey("Testkey");

bool ContextIsZero() {
    static const BlowfishContext kZero{};
    return std::memcmp(&g_blowfishContext, &kZero, sizeof(kZero)) == 0;
}

// Deciphers into a buffer of exactly the announced size, so that the sanitizer build catches any
// write beyond it; returns every byte the buffer holds.
std::string Decipher(const CString& strHex) {
    std::vector<unsigned char> abOut(static_cast<size_t>(DecryptHexBufferSize(strHex.GetLength())), 0xEE);
    DecryptHex(strHex, abOut.data(), kKey);
    return std::string(abOut.begin(), abOut.end());
}

std::string Plain(const CString& strHex) {
    const std::string out = Decipher(strHex);
    return out.substr(0, out.find('\0'));
}

TEST(BlowfishHexTest, HexToBytesTakesPairsAndRejectsNothing) {
    unsigned char abOut[4] = {0x11, 0x11, 0x11, 0x11};
    HexToBytes("09AF7", 5, abOut);
    EXPECT_EQ(abOut[0], 0x09);
    EXPECT_EQ(abOut[1], 0xAF);
    EXPECT_EQ(abOut[2], 0x11);  // the odd last digit is not read

    // Anything outside 0-9 and A-F counts as its code minus '0', modulo 256.
    HexToBytes("0G0a\x01\xFF", 6, abOut);
    EXPECT_EQ(abOut[0], 'G' - '0');
    EXPECT_EQ(abOut[1], 'a' - '0');
    EXPECT_EQ(abOut[2], static_cast<unsigned char>(16 * (1 - 48) + (0xFF - 48)));
}

TEST(BlowfishHexTest, PlainValuesOfBlockLengths) {
    for (const char* pszValue : {"", "M", "ABCDEFGH", "ABCDEFGHI", "Passw\xF6rt\x80\xFF"}) {
        SCOPED_TRACE(pszValue);
        const CString strHex = EncryptHex(pszValue, kKey);
        EXPECT_EQ(strHex.GetLength(), (static_cast<int>(std::strlen(pszValue)) + 7) / 8 * 16);
        EXPECT_EQ(Plain(strHex), pszValue);
    }
    // A value of a whole block has no zero byte of its own: it ends at the written terminator.
    EXPECT_EQ(Decipher(EncryptHex("ABCDEFGH", kKey)), std::string("ABCDEFGH\0", 9));
    EXPECT_EQ(Decipher(EncryptHex("ABCDEFGHI", kKey)), std::string("ABCDEFGHI\0\0\0\0\0\0\0\0", 17));
}

TEST(BlowfishHexTest, IncompleteLastGroupIsIgnored) {
    const CString strHex = EncryptHex("ABCDEFGHIJ", kKey);
    EXPECT_EQ(Decipher(strHex.Left(15)), std::string(1, '\0'));
    EXPECT_EQ(Decipher(strHex.Left(17)), std::string("ABCDEFGH\0", 9));
    EXPECT_EQ(Decipher(strHex.Left(31)), std::string("ABCDEFGH\0", 9));
    EXPECT_EQ(Plain(strHex), "ABCDEFGHIJ");
}

TEST(BlowfishHexTest, MalformedTextsStayWithinTheBuffer) {
    EXPECT_EQ(Decipher(""), std::string(1, '\0'));
    EXPECT_EQ(Decipher("ZZZZZZZZZZZZZZZZ?").size(), 9u);
    EXPECT_EQ(Decipher(CString("0123\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 21)).size(), 9u);
    EXPECT_EQ(Decipher(CString(std::string(10000, 'F').c_str())).size(), 5001u);
    EXPECT_EQ(Decipher(CString(std::string(10001, 'a').c_str())).size(), 5001u);
    EXPECT_EQ(DecryptHexBufferSize(-1), 1);
}

TEST(BlowfishHexTest, ContextHoldsOnlyZerosAfterEachUse) {
    EXPECT_TRUE(ContextIsZero());
    const CString strHex = EncryptHex("geheim", kKey);
    EXPECT_TRUE(ContextIsZero());
    Decipher(strHex);
    EXPECT_TRUE(ContextIsZero());
    EXPECT_STREQ(CIniConfig().Decrypt("4221FBB4FD30EB38"), "MYSQL");
    EXPECT_TRUE(ContextIsZero());
    Decipher("");
    EXPECT_TRUE(ContextIsZero());
}

}  // namespace
