// A fresh install's first start, and one over a data folder that cannot be written.

#include "tests/core/CoreRig.h"

#include "kit/effect/ITextControl.h"
#include "src/librarian/LibrarianInitData.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FileModes.h"

#include <algorithm>
#include <map>
#include <sys/stat.h>
#include <tuple>

using namespace coretest;
namespace fs = std::filesystem;

namespace {

struct FirstStart : CoreRig {
    FirstStart() { firstStart = true; }
    // Every file below the data folder with its bytes.
    std::map<std::string, std::vector<uint8_t>> files() const {
        std::map<std::string, std::vector<uint8_t>> all;
        for (const auto& entry : fs::recursive_directory_iterator(data))
            if (entry.is_regular_file())
                all[entry.path().string()] = testsupport::readFile(entry.path().string());
        return all;
    }
};

} // namespace

TEST_F(FirstStart, WritesTheDefaultsAndAStarterBankPerKindThatTheLibrarianReadsOnce) {
    auto plug = start();
    EXPECT_EQ(files().at(settingsPath()), bytesOf("yellow\nnormal\nno\n\n"));
    EXPECT_TRUE(plug->isFirstRun());
    const PatchLibrarian& l = *plug->getLibrarian();
    using Dump = std::vector<uint8_t>;
    const std::tuple<const char*, const std::vector<PatchFile*>&, Dump, const char*> kinds[] = {
        {"Init Sounds", l.soundBanks, Dump(initPatchData, std::end(initPatchData)),
         "Init Sound 3.0  "},
        {"Init Multis", l.multiBanks, Dump(initMultiData, std::end(initMultiData)),
         "Sequencer Multi "},
        {"Init Patterns", l.patternBanks, initPatternData(), "INIT Sequence   "}};
    for (const auto& [file, banks, dump, name] : kinds) {
        Dump bank;
        for (int i = 0; i < 100; ++i)
            bank.insert(bank.end(), dump.begin(), dump.end());
        EXPECT_TRUE(testsupport::readFile(data + "Patches/" + file + ".vub") == bank) << file;
        ASSERT_EQ(banks.size(), 1u) << file;
        const std::vector<LibrarianPatch>& entries = banks.front()->entries;
        EXPECT_TRUE(entries.size() == 100 && std::all_of(entries.begin(), entries.end(),
                                                         [&](auto& e) { return e.name == name; }))
            << file;
    }
    // The next start leaves the files as they are, the user's settings included.
    writeSettings("red\nlarge");
    const auto first = files();
    plug.reset();
    plug = start();
    EXPECT_EQ(files(), first);
}

TEST_F(FirstStart, AReadOnlyDataFolderStillGivesAWorkingEditorThatSaysWhatItCannotDo) {
    resources = ZOZ_BUILT_RESOURCES;
    keepLog();
    chmod(data.c_str(), 0555);
    std::unique_ptr<Zoz> plug;
    testsupport::withoutFileModeOverride([&] {
        plug = start();
        plug->GetParam(kUserInterfaceStyle)->Set(3);
        plug->OnParamChange(kUserInterfaceStyle);
    });
    chmod(data.c_str(), 0755);
    EXPECT_EQ(files().size(), 1u); // the log alone
    for (const auto& [id, shown] : {std::pair{kControlDisplayName, "Zoz Editor UI.txt MISSING!"},
                                    {kControlDisplayValue, "Contact support"}})
        EXPECT_EQ(static_cast<ITextControl*>(plug->keptControl(id))->GetTextForPlug(), shown);
    const std::vector<std::string> lines = logLines();
    for (const std::string& expected :
         {"DEFAULT SETTINGS: unable to write " + settingsPath(),
          std::string("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER...")})
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
}
