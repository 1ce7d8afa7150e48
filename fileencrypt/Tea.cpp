#include "fileencrypt/Tea.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr uint32_t kDelta = 0x9E3779B9u;
constexpr int kCycles = 32;

uint32_t readBig(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void writeBig(unsigned char* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

uint32_t readLittle(const unsigned char* p) {
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void writeLittle(unsigned char* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

template <uint32_t (*Read)(const unsigned char*), void (*Write)(unsigned char*, uint32_t),
          void (*Cipher)(unsigned int*, const unsigned int*)>
void cipherBlock(unsigned char* block, const unsigned int* key) {
    unsigned int v[2] = {Read(block), Read(block + 4)};
    Cipher(v, key);
    Write(block, v[0]);
    Write(block + 4, v[1]);
}

} // namespace

void Tea::encryptTea(unsigned int* v, const unsigned int* k) {
    uint32_t y = v[0], z = v[1], sum = 0;
    for (int i = 0; i < kCycles; ++i) {
        sum += kDelta;
        y += ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
        z += ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
    }
    v[0] = y;
    v[1] = z;
}

void Tea::decryptTea(unsigned int* v, const unsigned int* k) {
    uint32_t y = v[0], z = v[1], sum = kDelta * kCycles;
    for (int i = 0; i < kCycles; ++i) {
        z -= ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
        y -= ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
        sum -= kDelta;
    }
    v[0] = y;
    v[1] = z;
}

void Tea::simpleencrypt(unsigned char* block, const unsigned int* key) {
    cipherBlock<readBig, writeBig, Tea::encryptTea>(block, key);
}

void Tea::simpledecrypt(unsigned char* block, const unsigned int* key) {
    cipherBlock<readBig, writeBig, Tea::decryptTea>(block, key);
}

void Tea::encryptBlock(unsigned char* data, unsigned int* length, const unsigned int* key) {
    const unsigned int padded = (*length + 7) / 8 * 8;
    writeLittle(data + padded + 4, *length);
    *length = padded + 8;
    for (unsigned int p = 0; p < *length; p += 8)
        cipherBlock<readLittle, writeLittle, Tea::encryptTea>(data + p, key);
}

void Tea::decryptBlock(unsigned char* data, unsigned int* length, const unsigned int* key) {
    const unsigned int blocks = *length / 8;
    if (blocks == 0) return;
    for (unsigned int b = 0; b < blocks; ++b)
        cipherBlock<readLittle, writeLittle, Tea::decryptTea>(data + 8 * b, key);
    // A wrong key or a damaged trailer must not make the caller read past its data.
    const unsigned int stored = readLittle(data + 8 * blocks - 4);
    const unsigned int dataBytes = 8 * (blocks - 1);
    *length = stored < dataBytes ? stored : dataBytes;
}

void Tea::printBuffer(const unsigned char* buffer, int length) {
    if (buffer && length > 0) fwrite(buffer, 1, size_t(length), stdout);
    fputc('\n', stdout);
}
