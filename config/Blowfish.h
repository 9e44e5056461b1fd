// The Blowfish block cipher: key schedule and the encipherment and decipherment of one 64-bit
// block given as two 32-bit halves. The caller owns the context; the program keeps exactly one,
// g_blowfishContext, which holds only zeros outside a decryption, so decryptions must not overlap.
#pragma once

#include <cstdint>

struct BlowfishContext {
    uint32_t P[18];
    uint32_t S[4][256];
};

extern BlowfishContext g_blowfishContext;

// Fills the context from the initial tables and the key bytes (used cyclically). A key of no
// bytes leaves the initial tables unmixed rather than dividing by its length.
void BlowfishInit(BlowfishContext& context, const unsigned char* pbKey, int nKeyLength);
void BlowfishEncryptBlock(const BlowfishContext& context, uint32_t& nLeft, uint32_t& nRight);
void BlowfishDecryptBlock(const BlowfishContext& context, uint32_t& nLeft, uint32_t& nRight);
// Overwrites the whole context with zeros in a way the compiler may not drop as a dead store.
void BlowfishWipe(BlowfishContext& context);
