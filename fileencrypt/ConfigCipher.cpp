#include "fileencrypt/ConfigCipher.h"

#include "fileencrypt/Tea.h"

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

void ConfigCipher::decipher(const unsigned char* data, int size, std::string& out) {
    if (!data || size < 1) return;
    cipherAll<Tea::simpledecrypt>(data, size_t(size), out);
}

std::string ConfigCipher::encipher(const std::string& text) {
    std::string out;
    cipherAll<Tea::simpleencrypt>(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                  out);
    return out;
}
