#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// A program run by a test: its standard input and output are pipes to the test, its errors go
// to the test's. Every read waits at most the time it is given. A child still running when the
// object goes sees its input end and is killed only if it has not ended within five seconds:
// a MIDI program killed outright leaves its handles in JACK's shared metadata store, which
// then refuses every new client once enough have piled up.
class ChildProcess {
public:
    // argv[0] is the program's path; env entries ("NAME=value") replace or add to the test's own.
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& env = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    // Whether it still runs; one that ended is reaped, its status kept for Finish.
    bool Running();
    // The next line of output without its newline; false at the end of the output or when no
    // whole line came within timeoutMs.
    bool ReadLine(std::string* line, int timeoutMs);
    bool WriteLine(const std::string& line);
    void CloseInput();
    // Sends the child a signal; false when it is not running.
    bool Signal(int signal);
    // Reads the rest of the output and waits for the exit: the exit status, or -1 when the child
    // did not end within timeoutMs (it is then killed) or ended by a signal.
    int Finish(std::string* rest, int timeoutMs);

private:
    // Appends what arrives within timeoutMs; false at the end of the output or on time-out.
    bool fill(int timeoutMs);
    void kill();

    pid_t m_pid = -1;
    int m_status = -1; // the exit status of one that Running() reaped
    int m_in = -1;  // the child's standard input
    int m_out = -1; // the child's standard output
    std::string m_buffer;
};

// Runs a program to its end (at most timeoutMs) and gives its exit status and output.
int RunProgram(const std::vector<std::string>& argv, std::string* output, int timeoutMs = 60000,
               const std::vector<std::string>& env = {});

} // namespace testsupport
