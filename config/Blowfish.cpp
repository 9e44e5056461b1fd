#include "config/Blowfish.h"

#include <cstring>
#include <utility>

#include "config/BlowfishTables.h"

BlowfishContext g_blowfishContext;

namespace {

uint32_t F(const BlowfishContext& context, uint32_t x) {
    const uint32_t a = x >> 24;
    const uint32_t b = (x >> 16) & 0xFF;
    const uint32_t c = (x >> 8) & 0xFF;
    const uint32_t d = x & 0xFF;
    return ((context.S[0][a] + context.S[1][b]) ^ context.S[2][c]) + context.S[3][d];
}

void MixKeyIntoP(BlowfishContext& context, const unsigned char* pbKey, int nKeyLength) {
    int nKeyPos = 0;
    for (uint32_t& nP : context.P) {
        uint32_t nWord = 0;
        for (int nByte = 0; nByte < 4; ++nByte) {
            nWord = (nWord << 8) | pbKey[nKeyPos];
            nKeyPos = (nKeyPos + 1) % nKeyLength;
        }
        nP ^= nWord;
    }
}

}  // namespace

void BlowfishInit(BlowfishContext& context, const unsigned char* pbKey, int nKeyLength) {
    std::memcpy(context.P, g_anBlowfishInitP, sizeof(context.P));
    std::memcpy(context.S, g_anBlowfishInitS, sizeof(context.S));
    if (pbKey != nullptr && nKeyLength > 0) {
        MixKeyIntoP(context, pbKey, nKeyLength);
    }

    uint32_t nLeft = 0;
    uint32_t nRight = 0;
    for (int i = 0; i < 18; i += 2) {
        BlowfishEncryptBlock(context, nLeft, nRight);
        context.P[i] = nLeft;
        context.P[i + 1] = nRight;
    }
    for (auto& box : context.S) {
        for (int i = 0; i < 256; i += 2) {
            BlowfishEncryptBlock(context, nLeft, nRight);
            box[i] = nLeft;
            box[i + 1] = nRight;
        }
    }
}

void BlowfishEncryptBlock(const BlowfishContext& context, uint32_t& nLeft, uint32_t& nRight) {
    uint32_t nL = nLeft;
    uint32_t nR = nRight;
    for (int i = 0; i < 16; ++i) {
        nL ^= context.P[i];
        nR ^= F(context, nL);
        std::swap(nL, nR);
    }
    std::swap(nL, nR);
    nR ^= context.P[16];
    nL ^= context.P[17];
    nLeft = nL;
    nRight = nR;
}

void BlowfishDecryptBlock(const BlowfishContext& context, uint32_t& nLeft, uint32_t& nRight) {
    uint32_t nL = nLeft;
    uint32_t nR = nRight;
    for (int i = 17; i >= 2; --i) {
        nL ^= context.P[i];
        nR ^= F(context, nL);
        std::swap(nL, nR);
    }
    std::swap(nL, nR);
    nR ^= context.P[1];
    nL ^= context.P[0];
    nLeft = nL;
    nRight = nR;
}

void BlowfishWipe(BlowfishContext& context) {
    explicit_bzero(&context, sizeof(context));
}
