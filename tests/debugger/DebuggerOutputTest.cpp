#include "src/debugger/DebuggerOutput.h"

#include "kit/effect/IMidiMsg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string readAll(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

fs::path tempLog(const char* name) {
    fs::path dir = fs::temp_directory_path() / ("zoz-log-" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir / name;
}
} // namespace

TEST(DebugLog, OffWithoutTheFileAndEmptiedWhenPresent) {
    const fs::path missing = tempLog("missing.txt");
    fs::remove(missing);
    EXPECT_FALSE(DebuggerOutput::openDebugFile(missing.string()));
    EXPECT_FALSE(fs::exists(missing));

    const fs::path present = tempLog("present.txt");
    std::ofstream(present) << "old lines\n";
    EXPECT_TRUE(DebuggerOutput::openDebugFile(present.string()));
    EXPECT_EQ(fs::file_size(present), 0u);
}

TEST(DebugLog, LinesCarryStampTabBlankAndDoNotInterleave) {
    const fs::path log = tempLog("lines.txt");
    std::ofstream(log).close();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                DebuggerOutput::printDebugInfo(log.string(), "PROCESSOR: thread " + std::to_string(t));
        });
    for (auto& t : threads) t.join();
    std::istringstream lines(readAll(log));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        const size_t tab = line.find("\t PROCESSOR: thread ");
        ASSERT_NE(tab, std::string::npos) << line;
        EXPECT_EQ(line[4], '-');
        EXPECT_EQ(line[10], '.');
        EXPECT_EQ(line.size(), tab + 20 + 1);
    }
    EXPECT_EQ(count, 200);
}

// The traces go to the log alone: a host's scanner parses the plug-in's standard output.
TEST(DebugLog, TracesGoToTheLogInLowerCaseHexAndNothingIsPrinted) {
    const fs::path log = tempLog("traces.txt");
    std::ofstream(log).close();
    const uint8_t bytes[] = {0x3e, 0x0f, 0x00, 0x0a, 0x80, 0xff};
    std::array<int, 3> last{};
    const IMidiMsg note(0, 0x90, 0x3C, 0x64);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DebuggerOutput::openDebugFile(tempLog("absent.txt").string()));
    DebuggerOutput::logSysExOutMessageByte(log.string(), bytes, 6);
    DebuggerOutput::logSysExOutMessageByte(log.string(), bytes, 0);
    EXPECT_FALSE(DebuggerOutput::compareMIDIdata(log.string(), last, note));
    EXPECT_TRUE(DebuggerOutput::compareMIDIdata(log.string(), last, note));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    std::istringstream lines(readAll(log));
    std::vector<std::string> texts;
    for (std::string line; std::getline(lines, line);)
        texts.push_back(line.substr(line.find("\t ") + 2));
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Plug-in MIDI Out (sysex | 6 bytes | F0 3e 0f 00 0a 80 ff F7)",
                         "Plug-in MIDI Out (sysex | 0 bytes | F0 F7)", "Plug-in MIDI In  "}));
    EXPECT_EQ(last, (std::array<int, 3>{0x90, 0x3C, 0x64}));
}
