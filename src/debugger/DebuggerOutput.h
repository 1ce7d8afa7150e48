#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct IMidiMsg;

// The debug log and the console traces. Stateless: every operation works on what it is given.
// Callers compose a log text only while their log-enabled flag is set.
class DebuggerOutput {
public:
    // Whether logging is on: the log file exists. It is then emptied.
    static bool openDebugFile(const std::string& path);
    // Appends "<local time>\t <text>\n" to the log and echoes the text on standard output.
    static void printDebugInfo(const std::string& path, const std::string& text);
    // Console trace of an outgoing SysEx message, framed by F0 … F7.
    static void logSysExOutMessageByte(const uint8_t* bytes, int size);
    // The same for a message held as a list of ints: the first count of them, as far as the
    // list goes.
    static void logSysExOutMessageByteInt(const std::vector<int>& bytes, int count);
    // Keeps status and data bytes of an incoming short message in last and prints the message
    // when it differs from what last held; true when it was the same.
    static bool compareMIDIdata(std::array<int, 3>& last, const IMidiMsg& message);
};
