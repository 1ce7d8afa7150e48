// A fresh install's first start: the settings file with its defaults and one starter bank per
// kind, which the librarian reads; nothing already there is touched; a data folder that cannot
// be written still gives a working plug-in that says what it could not do.

#include "tests/core/CoreRig.h"

#include "kit/effect/ITextControl.h"
#include "src/librarian/LibrarianInitData.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <functional>
#include <linux/capability.h>
#include <map>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace coretest;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;

struct FirstStart : CoreRig {
    FirstStart() { firstStart = true; }
    std::string patches = data + "Patches/";
    std::vector<uint8_t> defaults = bytesOf("yellow\nnormal\nno\n\n");

    // Every file below the data folder with its bytes.
    Files files() const {
        Files all;
        for (const auto& entry : fs::recursive_directory_iterator(data))
            if (entry.is_regular_file())
                all[entry.path().string()] = testsupport::readFile(entry.path().string());
        return all;
    }
};

// Runs `run` on this thread without the right to write where the file modes forbid it, which a
// test run as root has (capabilities belong to the thread).
void withoutFileModeOverride(const std::function<void()>& run) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {}, saved[2] = {};
    syscall(SYS_capget, &header, saved);
    std::copy(saved, saved + 2, caps);
    caps[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH);
    syscall(SYS_capset, &header, caps);
    run();
    syscall(SYS_capset, &header, saved);
}

} // namespace

TEST_F(FirstStart, WritesTheDefaultsAndAStarterBankPerKindThatTheLibrarianReadsOnce) {
    auto plug = start();
    EXPECT_EQ(files().at(settingsPath()), defaults);
    EXPECT_TRUE(plug->isFirstRun());
    const PatchLibrarian& l = *plug->getLibrarian();
    const struct {
        const char* file;
        const std::vector<PatchFile*>& banks;
        std::vector<uint8_t> dump;
        const char* name;
    } kinds[] = {
        {"Init Sounds.vub",
         l.soundBanks,
         {initPatchData, std::end(initPatchData)},
         "Init Sound 3.0  "},
        {"Init Multis.vub",
         l.multiBanks,
         {initMultiData, std::end(initMultiData)},
         "Sequencer Multi "},
        {"Init Patterns.vub", l.patternBanks, initPatternData(), "INIT Sequence   "},
    };
    for (const auto& kind : kinds) {
        std::vector<uint8_t> bank;
        for (int i = 0; i < 100; ++i)
            bank.insert(bank.end(), kind.dump.begin(), kind.dump.end());
        EXPECT_TRUE(testsupport::readFile(patches + kind.file) == bank) << kind.file;
        ASSERT_EQ(kind.banks.size(), 1u) << kind.file;
        const std::vector<LibrarianPatch>& entries = kind.banks.front()->entries;
        EXPECT_EQ(entries.size(), 100u);
        EXPECT_TRUE(std::all_of(entries.begin(), entries.end(), [&](const LibrarianPatch& e) {
            return e.name == kind.name;
        })) << kind.file;
    }
    EXPECT_EQ(plug->GetParam(kPatchSelectionListUpper)->GetNDisplayTexts(), 1);

    const Files first = files();
    plug.reset();
    plug = start();
    EXPECT_EQ(files(), first);
}

TEST_F(FirstStart, LeavesWhatIsThereAlone) {
    putBank("Init Sounds.vub", 3);
    const std::vector<uint8_t> own = testsupport::readFile(patches + "Init Sounds.vub");
    start();
    EXPECT_EQ(files().at(settingsPath()), defaults);
    EXPECT_EQ(files().size(), 2u);
    EXPECT_EQ(testsupport::readFile(patches + "Init Sounds.vub"), own);

    fs::remove_all(patches);
    writeSettings("red\nlarge");
    start();
    EXPECT_EQ(files().at(settingsPath()), bytesOf("red\nlarge"));
    EXPECT_EQ(files().size(), 4u);
}

TEST_F(FirstStart, AReadOnlyDataFolderStillGivesAWorkingEditorThatSaysWhatItCannotDo) {
    resources = ZOZ_BUILT_RESOURCES;
    keepLog();
    chmod(data.c_str(), 0555);
    std::unique_ptr<Zoz> plug;
    withoutFileModeOverride([&] {
        plug = start();
        plug->GetParam(kUserInterfaceStyle)->Set(3);
        plug->OnParamChange(kUserInterfaceStyle);
    });
    chmod(data.c_str(), 0755);
    ASSERT_TRUE(plug->isStartupComplete());
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
