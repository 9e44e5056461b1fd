#include "config/CipherHex.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "config/Blowfish.h"

namespace {

const int kBlockBytes = 8;
const int kGroupDigits = 2 * kBlockBytes;

int HexValue(unsigned char ch) {
    return ch >= 'A' && ch <= 'F' ? ch - 55 : ch - 48;
}

uint32_t LoadHalf(const unsigned char* pb) {
    return static_cast<uint32_t>(pb[0]) | static_cast<uint32_t>(pb[1]) << 8 |
           static_cast<uint32_t>(pb[2]) << 16 | static_cast<uint32_t>(pb[3]) << 24;
}

void StoreHalf(uint32_t nHalf, unsigned char* pb) {
    for (int i = 0; i < 4; ++i) {
        pb[i] = static_cast<unsigned char>(nHalf >> (8 * i));
    }
}

void InitContext(const CString& strKey) {
    BlowfishInit(g_blowfishContext, reinterpret_cast<const unsigned char*>(strKey.GetString()),
                 strKey.GetLength());
}

void AppendHex(const unsigned char* pbBlock, CString& strHex) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < kBlockBytes; ++i) {
        strHex += kDigits[pbBlock[i] >> 4];
        strHex += kDigits[pbBlock[i] & 0x0F];
    }
}

}  // namespace

bool IsCipherText(const CString& strHex) {
    if (strHex.IsEmpty() || strHex.GetLength() % kGroupDigits != 0) {
        return false;
    }
    for (int i = 0; i < strHex.GetLength(); ++i) {
        const char ch = strHex.GetAt(i);
        if (!((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'))) {
            return false;
        }
    }
    return true;
}

void HexToBytes(const char* pchHex, int nCount, unsigned char* pbOut) {
    const auto* pbHex = reinterpret_cast<const unsigned char*>(pchHex);
    for (int i = 0; i < nCount / 2; ++i) {
        pbOut[i] = static_cast<unsigned char>(16 * HexValue(pbHex[2 * i]) + HexValue(pbHex[2 * i + 1]));
    }
}

int DecryptHexBufferSize(int nHexLength) {
    return std::max(nHexLength, 0) / kGroupDigits * kBlockBytes + 1;
}

void DecryptHex(const CString& strHex, unsigned char* pbOut, const CString& strKey) {
    InitContext(strKey);
    const int nGroups = strHex.GetLength() / kGroupDigits;
    for (int nGroup = 0; nGroup < nGroups; ++nGroup) {
        unsigned char abBlock[kBlockBytes];
        HexToBytes(strHex.GetString() + nGroup * kGroupDigits, kGroupDigits, abBlock);
        uint32_t nLeft = LoadHalf(abBlock);
        uint32_t nRight = LoadHalf(abBlock + 4);
        BlowfishDecryptBlock(g_blowfishContext, nLeft, nRight);
        StoreHalf(nLeft, pbOut + nGroup * kBlockBytes);
        StoreHalf(nRight, pbOut + nGroup * kBlockBytes + 4);
    }
    pbOut[nGroups * kBlockBytes] = 0;
    BlowfishWipe(g_blowfishContext);
}

CString EncryptHex(const CString& strPlain, const CString& strKey) {
    InitContext(strKey);
    CString strHex;
    for (int nPos = 0; nPos < strPlain.GetLength(); nPos += kBlockBytes) {
        unsigned char abBlock[kBlockBytes] = {};
        std::memcpy(abBlock, strPlain.GetString() + nPos,
                    static_cast<size_t>(std::min(kBlockBytes, strPlain.GetLength() - nPos)));
        uint32_t nLeft = LoadHalf(abBlock);
        uint32_t nRight = LoadHalf(abBlock + 4);
        BlowfishEncryptBlock(g_blowfishContext, nLeft, nRight);
        StoreHalf(nLeft, abBlock);
        StoreHalf(nRight, abBlock + 4);
        AppendHex(abBlock, strHex);
    }
    BlowfishWipe(g_blowfishContext);
    return strHex;
}
