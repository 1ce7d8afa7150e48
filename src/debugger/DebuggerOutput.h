#pragma once

#include <array>
#include <cstdint>
#include <string>

struct IMidiMsg;

// The debug log. Stateless: every operation works on what it is given. Callers compose a log
// text and call these only while their log-enabled flag is set. Nothing is ever printed on
// standard output or standard error: a host's plug-in scanner reads them.
class DebuggerOutput {
public:
    // Whether logging is on: the log file exists. It is then emptied.
    static bool openDebugFile(const std::string& path);
    // Appends "<local time>\t <text>\n" to the log.
    static void printDebugInfo(const std::string& path, const std::string& text);
    // Logs the trace of an outgoing SysEx message, its bytes framed by F0 … F7.
    static void logSysExOutMessageByte(const std::string& path, const uint8_t* bytes, int size);
    // Keeps status and data bytes of an incoming short message in last and logs the message
    // when it differs from what last held; true when it was the same.
    static bool compareMIDIdata(const std::string& path, std::array<int, 3>& last,
                                const IMidiMsg& message);
};
