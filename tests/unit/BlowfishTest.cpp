#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "config/Blowfish.h"
#include "config/CipherHex.h"

namespace {

struct Vector {
    const char* pszKey;
    const char* pszPlain;
    const char* pszCipher;
};

// Published vectors: hex texts of the raw bytes, halves read big-endian.
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    // A key of seven bytes, the length the program uses: the key bytes wrap around.
    {"F0E1D2C3B4A596", "FEDCBA9876543210", "8BB77032F960629D"},
};

std::string Bytes(const std::string& strHex) {
    std::string bytes(strHex.size() / 2, '\0');
    HexToBytes(strHex.c_str(), static_cast<int>(strHex.size()),
               reinterpret_cast<unsigned char*>(bytes.data()));
    return bytes;
}

CString Key(const std::string& strHex) {
    const std::string bytes = Bytes(strHex);
    return CString(bytes.data(), static_cast<int>(bytes.size()));
}

uint32_t BigEndianWord(const std::string& strHex, int nWord) {
    return static_cast<uint32_t>(std::stoul(strHex.substr(8 * static_cast<size_t>(nWord), 8), nullptr, 16));
}

// The program's layout of a block: the byte order within each 32-bit half reversed.
std::string ProgramLayout(const std::string& strHex) {
    std::string strOut;
    for (size_t nHalf = 0; nHalf < strHex.size(); nHalf += 8) {
        for (int nByte = 3; nByte >= 0; --nByte) {
            strOut += strHex.substr(nHalf + 2 * static_cast<size_t>(nByte), 2);
        }
    }
    return strOut;
}

void KeyContext(const std::string& strKeyHex) {
    const std::string key = Bytes(strKeyHex);
    BlowfishInit(g_blowfishContext, reinterpret_cast<const unsigned char*>(key.data()),
                 static_cast<int>(key.size()));
}

TEST(BlowfishTest, PublishedVectorsEncipherAndDecipherBlocks) {
    for (const Vector& vector : kVectors) {
        SCOPED_TRACE(vector.pszKey);
        KeyContext(vector.pszKey);
        uint32_t nLeft = BigEndianWord(vector.pszPlain, 0);
        uint32_t nRight = BigEndianWord(vector.pszPlain, 1);
        BlowfishEncryptBlock(g_blowfishContext, nLeft, nRight);
        EXPECT_EQ(nLeft, BigEndianWord(vector.pszCipher, 0));
        EXPECT_EQ(nRight, BigEndianWord(vector.pszCipher, 1));
        BlowfishDecryptBlock(g_blowfishContext, nLeft, nRight);
        EXPECT_EQ(nLeft, BigEndianWord(vector.pszPlain, 0));
        EXPECT_EQ(nRight, BigEndianWord(vector.pszPlain, 1));
        BlowfishWipe(g_blowfishContext);
    }
}

TEST(BlowfishTest, HexFormUsesLittleEndianHalves) {
    for (const Vector& vector : kVectors) {
        SCOPED_TRACE(vector.pszKey);
        const std::string strPlain = Bytes(ProgramLayout(vector.pszPlain));
        const CString strCipher = EncryptHex(CString(strPlain.data(), 8), Key(vector.pszKey));
        EXPECT_STREQ(strCipher, ProgramLayout(vector.pszCipher).c_str());

        unsigned char abOut[9];
        DecryptHex(ProgramLayout(vector.pszCipher).c_str(), abOut, Key(vector.pszKey));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(abOut), 8), strPlain);
        EXPECT_EQ(abOut[8], 0);
    }
}

}  // namespace
