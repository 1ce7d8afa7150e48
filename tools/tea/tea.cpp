// tea encrypt <text file> <resource file>: writes the enciphered configuration resource.
// tea decrypt <resource file> <text file>: writes the text back (up to its first zero byte).
#include "fileencrypt/ConfigCipher.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool readAll(const char* path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return !in.bad();
}

bool writeAll(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

const char kUsage[] = "usage: tea encrypt|decrypt <input> <output>\n"
                      "       tea --help   (prints this)\n"
                      "encrypt writes the enciphered configuration resource of a text file;\n"
                      "decrypt writes the text back (up to its first zero byte)\n";

int usage() {
    fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--help") == 0) return fputs(kUsage, stdout) < 0 ? 1 : 0;
    if (argc != 4) return usage();
    const bool encrypt = strcmp(argv[1], "encrypt") == 0;
    if (!encrypt && strcmp(argv[1], "decrypt") != 0) return usage();

    std::string input;
    if (!readAll(argv[2], input)) {
        fprintf(stderr, "tea: cannot read %s\n", argv[2]);
        return 1;
    }
    std::string output;
    if (encrypt) {
        // The reader takes the text up to its first zero byte; a zero inside would cut it.
        if (input.find('\0') != std::string::npos) {
            fprintf(stderr, "tea: %s holds a zero byte\n", argv[2]);
            return 1;
        }
        output = ConfigCipher::encipher(input);
    } else {
        if (input.size() % 8 != 0 || input.size() > size_t(INT_MAX)) {
            fprintf(stderr, "tea: %s is not a configuration resource (whole 8-byte blocks)\n",
                    argv[2]);
            return 1;
        }
        ConfigCipher::decipher(reinterpret_cast<const unsigned char*>(input.data()),
                               int(input.size()), output);
        output.resize(strnlen(output.c_str(), output.size()));
    }
    if (!writeAll(argv[3], output)) {
        fprintf(stderr, "tea: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
