#pragma once

// The Tiny Encryption Algorithm: 64-bit blocks, 128-bit key as four words, 32 cycles.
// Stateless; every routine works in place on the caller's memory.
class Tea {
public:
    // One 8-byte block whose two words are big-endian.
    static void simpleencrypt(unsigned char* block, const unsigned int* key);
    static void simpledecrypt(unsigned char* block, const unsigned int* key);

    // One block held as two words.
    static void encryptTea(unsigned int* v, const unsigned int* key);
    static void decryptTea(unsigned int* v, const unsigned int* key);

    // Block-with-trailer form: the data blocks (little-endian words) followed by a block
    // whose second word is the plaintext length. encryptBlock needs room for the padded
    // length plus 8 bytes and sets *length to that. decryptBlock restores *length from the
    // trailer, never beyond the data blocks; it does nothing to fewer than 8 bytes.
    static void encryptBlock(unsigned char* data, unsigned int* length, const unsigned int* key);
    static void decryptBlock(unsigned char* data, unsigned int* length, const unsigned int* key);

    // The raw bytes on standard output, then a newline.
    static void printBuffer(const unsigned char* buffer, int length);
};
