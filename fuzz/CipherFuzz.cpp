// Fuzz target for the enciphered values: each input is taken as a cipher text (any bytes, odd
// lengths, lower-case letters, zero bytes) and decoded and deciphered into buffers of exactly the
// size the callers are told to provide, so that the sanitizers see every byte written past them.
// The input is also taken as a plain value: enciphered with the built-in key and deciphered again
// it must come back up to its first zero byte.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/CIniConfig.h"
#include "config/CipherHex.h"
#include "config/CipherKey.h"
#include "fuzz/FuzzSupport.h"

namespace {

const int kGroupDigits = 16;
const int kBlockBytes = 8;
// Longer keys add nothing: the key schedule uses at most 72 key bytes.
const int kMaxInputKeyLength = 72;

bool IsUpperHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F');
}

bool IsUpperHex(const CString& str) {
    for (int i = 0; i < str.GetLength(); ++i) {
        if (!IsUpperHexDigit(str.GetAt(i))) {
            return false;
        }
    }
    return true;
}

// Digits in the form the program writes them decode to bytes that give the same digits again.
void CheckHexDecoding(const CString& strInput) {
    const int nBytes = strInput.GetLength() / 2;
    std::vector<unsigned char> abBytes(static_cast<size_t>(nBytes));
    HexToBytes(strInput.GetString(), strInput.GetLength(), abBytes.data());
    if (!IsUpperHex(strInput)) {
        return;
    }
    CString strAgain;
    for (unsigned char b : abBytes) {
        CString strByte;
        strByte.Format("%02X", b);
        strAgain += strByte;
    }
    FuzzRequire(strAgain == strInput.Left(2 * nBytes), "hex digits decode to the bytes they name");
}

// The direct call runs under a key made of the input itself, which gives the key schedule every
// key length and byte; Decrypt runs under the built-in key.
void CheckDecryption(const CIniConfig& config, const CString& strInput) {
    std::vector<unsigned char> abPlain(static_cast<size_t>(DecryptHexBufferSize(strInput.GetLength())));
    DecryptHex(strInput, abPlain.data(), strInput.Left(kMaxInputKeyLength));
    FuzzRequire(CipherContextIsWiped(), "DecryptHex leaves the cipher context wiped");
    FuzzRequire(abPlain.back() == 0, "DecryptHex ends its bytes with a zero byte");

    const CString strPlain = config.Decrypt(strInput);
    FuzzRequire(CipherContextIsWiped(), "Decrypt leaves the cipher context wiped");
    FuzzRequire(strPlain.GetLength() <= strInput.GetLength() / kGroupDigits * kBlockBytes,
                "Decrypt yields at most the bytes of the whole groups");
}

void CheckRoundTrip(const CIniConfig& config, const CString& strInput) {
    CString strKey;
    AssembleCipherKey(strKey);
    const CString strCipher = EncryptHex(strInput, strKey);
    strKey.Empty();
    FuzzRequire(CipherContextIsWiped(), "EncryptHex leaves the cipher context wiped");
    const int nBlocks = (strInput.GetLength() + kBlockBytes - 1) / kBlockBytes;
    FuzzRequire(strCipher.GetLength() == nBlocks * kGroupDigits, "a value enciphers to whole groups");
    FuzzRequire(IsUpperHex(strCipher), "a value enciphers to upper-case hex digits");
    // The reader stops at the first zero byte, so that is all a value can carry.
    FuzzRequire(config.Decrypt(strCipher) == CString(strInput.GetString()),
                "an enciphered value deciphers back up to its first zero byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t nSize) {
    const CString strInput(reinterpret_cast<const char*>(pbData), static_cast<int>(nSize));
    const CIniConfig config;
    CheckHexDecoding(strInput);
    CheckDecryption(config, strInput);
    CheckRoundTrip(config, strInput);
    return 0;
}
