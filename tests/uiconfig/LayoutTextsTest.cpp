// Every parameter's display texts once the product layout is read, against a table kept in
// tests/uiconfig/golden/value-texts.txt. ZOZ_UPDATE_GOLDEN=1 rewrites the table from the
// layout, so that a change of the layout's lists can be read as a diff of it.

#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/ParameterNames.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/support/TestEffect.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> textsOf(const IParam& p) {
    std::vector<std::string> texts;
    for (int i = 0; i < p.GetNDisplayTexts(); ++i)
        texts.push_back(p.GetDisplayTextAtIdx(i));
    return texts;
}

// "kName+offset" of the named run an id belongs to, or "id <n>" for an unnamed one.
std::string nameOf(int id) {
    for (int i = 0; i < kParameterNameRunCount; ++i) {
        const ParameterNameRun& run = kParameterNameRuns[i];
        if (id < run.firstId || id >= run.firstId + run.width) continue;
        return run.width == 1 ? run.name
                              : std::string(run.name) + "+" + std::to_string(id - run.firstId);
    }
    return "id " + std::to_string(id);
}

// One line per run of neighbours of one name with equal texts; a list is spelt out, a text a
// line, where a run first shows it and referred to by that run's first name later.
std::string table(const IEffectBase& effect) {
    std::ostringstream out;
    out << "# Display texts of every parameter once the product layout is read. A run of\n"
           "# parameters of one name with equal texts is one line; a list is spelt out, a text\n"
           "# a line, at its first use and named after that parameter later.\n";
    std::map<std::vector<std::string>, std::string> seen;
    for (int id = 0; id < effect.NParams();) {
        const std::vector<std::string> texts = textsOf(*effect.GetParam(id));
        const std::string name = nameOf(id);
        int last = id;
        // The port menus list whatever the MIDI system has.
        const bool ports = id == kDeviceInSelection || id == kDeviceOutSelection;
        while (!ports && last + 1 < effect.NParams() &&
               nameOf(last + 1).substr(0, name.find('+')) == name.substr(0, name.find('+')) &&
               textsOf(*effect.GetParam(last + 1)) == texts)
            ++last;
        if (!texts.empty() && !ports) {
            out << name;
            if (last > id) out << ".." << nameOf(last).substr(name.find('+') + 1);
            const auto known = seen.find(texts);
            if (known != seen.end()) {
                out << ": as " << known->second << "\n";
            } else {
                out << ": " << texts.size() << " texts\n";
                for (const std::string& t : texts)
                    out << "\t\"" << t << "\"\n";
                seen.emplace(texts, name);
            }
        }
        id = last + 1;
    }
    return out.str();
}

} // namespace

TEST(LayoutTexts, EveryParameterShowsTheTextsOfTheTable) {
    setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILD_RESOURCES, 1);
    setenv("ZOZ_MIDI_API", "alsa", 1); // the port menus ask no MIDI server to start
    testsupport::TestEffect effect{kNumParams, kNumNonAutomatedParams};
    FakeConfigGraphics graphics;
    FakeConfigPlugin plugin(false);
    plugin.effectBase = &effect;
    UIConfigManager manager;
    manager.readUIConfig(&graphics, &plugin, nullptr, 0, 1.0);
    const std::string actual = table(effect);

    const char* dir = getenv("ZOZ_TEST_SOURCE_DIR");
    const std::string path =
        std::string(dir ? dir : ".") + "/tests/uiconfig/golden/value-texts.txt";
    const char* update = getenv("ZOZ_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(path) << actual;
        return;
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << "cannot read " << path;
    std::stringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(actual, golden.str()) << "ZOZ_UPDATE_GOLDEN=1 rewrites " << path;
}
