#pragma once

#include <string>

// The enciphered form of the configuration resources: the text padded with zero bytes to
// whole 8-byte blocks, each block enciphered on its own with Tea::simpleencrypt under the
// one configuration key. No header, no chaining, no length field.
namespace ConfigCipher {

// The configuration key as the four cipher words (each the little-endian reading of four
// consecutive key bytes).
void keyWords(unsigned int key[4]);

// Appends the plaintext of size bytes of data to out: 8 × ceil(size / 8) bytes, zero
// padding included. Reads no byte at or past size.
void decipher(const unsigned char* data, int size, std::string& out);

// The resource bytes of a text.
std::string encipher(const std::string& text);

} // namespace ConfigCipher
