#pragma once

#include "src/core/Zoz.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace coretest {

inline std::vector<uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

// A plug-in over a data folder of its own, which holds a patches folder (empty unless the test
// puts banks there) unless firstStart asks for none. Resources come from `resources` (a missing
// folder when empty), so each test chooses the layout it starts with.
struct CoreRig : ::testing::Test {
    testsupport::TempFolder temp;
    std::string data = temp.path() + "/data/";
    std::string resources;
    bool firstStart = false;
    // What start gives the plug-in: a host's callback, for one.
    IEffectInstanceInfo instanceInfo;

    std::string settingsPath() const { return data + "Zoz Editor UI.txt"; }
    std::string logPath() const { return data + "Zoz Editor LOG.txt"; }
    void writeSettings(const std::string& content) {
        std::filesystem::create_directories(data);
        testsupport::writeFile(settingsPath(), bytesOf(content));
    }
    void keepLog() {
        std::filesystem::create_directories(data);
        testsupport::writeFile(logPath(), bytesOf("an old line\n"));
    }
    // A sound bank in the patches folder, below the folders of `relative`.
    void putBank(const std::string& relative, int sounds = 100) {
        const std::string path = data + "Patches/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        testsupport::writeFile(
            path, testsupport::rawBankFile(testsupport::soundDumps(sounds, "S", "Bass")));
    }
    // A Zoz, or a test's Plug made from the instance info and args.
    template <typename Plug = Zoz, typename... Args> std::unique_ptr<Plug> start(Args&... args) {
        if (!firstStart) std::filesystem::create_directories(data + "Patches");
        setenv("ZOZ_DATA_DIR", data.c_str(), 1);
        const std::string from = resources.empty() ? temp.path() + "/no-resources" : resources;
        setenv("ZOZ_RESOURCES_DIR", from.c_str(), 1);
        return std::make_unique<Plug>(instanceInfo, args...);
    }
    std::vector<std::string> logLines() const {
        const std::vector<uint8_t> b = testsupport::readFile(logPath());
        std::vector<std::string> lines;
        std::string all(b.begin(), b.end());
        for (size_t at = 0, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1) {
            const std::string line = all.substr(at, end - at);
            const size_t text = line.find("\t ");
            lines.push_back(text == std::string::npos ? line : line.substr(text + 2));
        }
        return lines;
    }
};

} // namespace coretest
