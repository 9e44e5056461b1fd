// The enciphered form of the configuration values: Blowfish in electronic-codebook mode over
// 8-byte blocks, each block written as 16 hex digits. Within a block the two 32-bit halves are
// little-endian (bytes 0-3 the left half, byte 0 least significant; bytes 4-7 the right half).
// Both directions fill the process-wide g_blowfishContext from the key and wipe it afterwards,
// so they must not run concurrently.
#pragma once

#include "base/CString.h"

// True for a text of whole 16-digit groups of '0'-'9' and 'A'-'F' (the file's values arrive
// upper-cased), the form every enciphered value has; an empty text is none.
bool IsCipherText(const CString& strHex);

// Decodes nCount / 2 bytes. 'A'-'F' count as 10-15 and every other character as its code minus
// '0'; nothing is rejected, an odd last character is not read.
void HexToBytes(const char* pchHex, int nCount, unsigned char* pbOut);

// Bytes DecryptHex writes for a cipher text of this length: 8 per whole group plus the zero.
int DecryptHexBufferSize(int nHexLength);

// Deciphers every whole 16-digit group of strHex into pbOut, which must hold
// DecryptHexBufferSize(strHex.GetLength()) bytes, and ends the output with a zero byte. An
// incomplete last group is ignored: the program only ever writes whole groups.
void DecryptHex(const CString& strHex, unsigned char* pbOut, const CString& strKey);

// The counterpart for writing configuration files: the value is padded with zero bytes to whole
// blocks (an empty value gives an empty text) and returned as upper-case hex digits. A value of a
// whole number of blocks gets no zero block, since the reader stops at the end of the output too.
CString EncryptHex(const CString& strPlain, const CString& strKey);
