#include "fileencrypt/ConfigCipher.h"

#include "fileencrypt/Tea.h"

#include <cstdint>
#include <cstring>

namespace {
const unsigned char kKeyBytes[16] = {0x5e, 0x1d, 0x9a, 0x07, 0xc4, 0xb2, 0x3f, 0x68,
                                     0xe0, 0xa7, 0xd1, 0x5c, 0x92, 0xb8, 0x4f, 0x3a};

// Runs one block routine over a buffer in 8-byte steps, the last block padded with zeros.
template <void (*Cipher)(unsigned char*, const unsigned int*)>
void cipherAll(const unsigned char* data, size_t size, std::string& out) {
    unsigned int key[4];
    ConfigCipher::keyWords(key);
    for (size_t p = 0; p < size; p += 8) {
        unsigned char block[8] = {};
        memcpy(block, data + p, size - p < 8 ? size - p : 8);
        Cipher(block, key);
        out.append(reinterpret_cast<const char*>(block), 8);
    }
}
} // namespace

void ConfigCipher::keyWords(unsigned int key[4]) {
    for (int w = 0; w < 4; ++w) {
        const unsigned char* b = kKeyBytes + 4 * w;
        key[w] = unsigned(b[0]) | unsigned(b[1]) << 8 | unsigned(b[2]) << 16 | unsigned(b[3]) << 24;
    }
}

namespace {

// Tea::simpledecrypt on the whole groups of kLanes blocks, one block to a vector lane: one
// block's cycles form a chain, but those of independent blocks run side by side.
constexpr int kLanes = 8;

inline __attribute__((always_inline)) void decipherGroups(const unsigned char* data, size_t size,
                                                          const unsigned int key[4],
                                                          unsigned char* plain) {
    constexpr uint32_t kDelta = 0x9E3779B9u;
    using Lanes = uint32_t __attribute__((vector_size(4 * kLanes)));
    const auto readBig = [](const unsigned char* b) {
        uint32_t w;
        memcpy(&w, b, 4);
        return __builtin_bswap32(w);
    };
    const auto writeBig = [](unsigned char* b, uint32_t w) {
        w = __builtin_bswap32(w);
        memcpy(b, &w, 4);
    };
    for (size_t p = 0; p < size; p += 8 * kLanes) {
        Lanes y, z;
        for (int l = 0; l < kLanes; ++l) {
            y[l] = readBig(data + p + 8 * l);
            z[l] = readBig(data + p + 8 * l + 4);
        }
        uint32_t sum = kDelta * 32;
        for (int i = 0; i < 32; ++i, sum -= kDelta) {
            z -= ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
            y -= ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
        }
        for (int l = 0; l < kLanes; ++l) {
            writeBig(plain + p + 8 * l, y[l]);
            writeBig(plain + p + 8 * l + 4, z[l]);
        }
    }
}

// The same for AVX2, which takes all eight lanes at once; chosen where the processor has it.
__attribute__((target("avx2"))) void decipherGroupsAVX2(const unsigned char* data, size_t size,
                                                        const unsigned int key[4],
                                                        unsigned char* plain) {
    decipherGroups(data, size, key, plain);
}

} // namespace

void ConfigCipher::decipher(const unsigned char* data, int size, std::string& out) {
    if (!data || size < 1) return;
    unsigned int key[4];
    keyWords(key);
    // Deciphering was a tenth of an instance's start-up; most of it now goes in vector lanes.
    const size_t whole = size_t(size) / (8 * kLanes) * (8 * kLanes);
    const size_t at = out.size();
    out.resize(at + whole);
    static const bool avx2 = __builtin_cpu_supports("avx2");
    (avx2 ? decipherGroupsAVX2 : decipherGroups)(data, whole, key,
                                                 reinterpret_cast<unsigned char*>(&out[at]));
    cipherAll<Tea::simpledecrypt>(data + whole, size_t(size) - whole, out);
}

std::string ConfigCipher::encipher(const std::string& text) {
    std::string out;
    cipherAll<Tea::simpleencrypt>(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                  out);
    return out;
}
