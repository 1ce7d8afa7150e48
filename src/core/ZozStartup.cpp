// The plug-in's construction in its fixed order, its reset and its destruction.

#include "src/core/Zoz.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/ITextControl.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/ResourceFile.h"
#include "src/browser/FileCopyPopupMenu.h"
#include "src/browser/FileEditPopupMenu.h"
#include "src/core/BankNameShortener.h"
#include "src/core/PatchManager.h"
#include "src/core/StarterBanks.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ConfigReadAhead.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigGraphicsAdapter.h"
#include "src/uiconfig/UIConfigManager.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr const char* kChannelIO = "2-2";
constexpr int kBackgroundImageId = 104;
constexpr const char* kBackgroundImage = "resources/img/main-bg-frame.png";
const IColor kNoticeBackground(255, 48, 48, 48);

// Whether the layout lies where the module looks for its resources.
bool resourcesFound() {
    std::error_code ignored;
    return std::filesystem::is_regular_file(
        platform::ResourcePath(UIConfigManager::kUIConfigResource), ignored);
}

} // namespace

Zoz::Zoz(IEffectInstanceInfo info)
    : IEffectVST(info, kNumAutomatedParams, kChannelIO, 0, kEffectName, "", kMakerName,
                 kVendorVersion, kUniqueId, kMakerId, kLatency, true, true, true, 0) {
    // The configuration resources are read, deciphered and parsed while the rest is built, as
    // the editor's loader would read them.
    std::unique_ptr<ConfigReadAhead> configAhead = UIConfigManager::readAheadResources(
        [](int, const char* name, std::vector<char>& bytes) {
            return platform::ReadResourceFile(name, bytes);
        });
    // The randomizer draws from the process-wide generator.
    srand(unsigned(platform::WallSeconds()));
    sampleRate = GetSampleRate();
    openDataFolder();
    readSettings();
    // Stored ports to open need the port lists, and reading them takes a client of the MIDI
    // system: it is made while the rest is built. Without them no client is made until a
    // device menu opens.
    if (opensStoredPorts()) BeginExternalMIDILook(kEffectName);
    log("INITIALIZATION STARTED!");
    SetLatency(kLatency);
    log("Data folder located at ", dataFolderPath);

    // Every parameter is hidden from the host: the state travels in the plug-in's own chunk.
    initialize(info, 0, kNumParams, kChannelIO, 0, kEffectName, "", kMakerName, kVendorVersion,
               kUniqueId, kMakerId, kLatency, true, true, true, 0);
    addNonAutomateParamCount(kNumParams);

    patchManager = std::make_unique<PatchManager>(this);
    log("PATCH MANAGER INITIALIZED...");
    librarian = std::make_unique<PatchLibrarian>(*this);
    log("PATCH LIBRARIAN INITIALIZED...");
    librarian->upperBankIndex = 0;
    librarian->lowerBankIndex = 0;
    librarian->loadPatchesFromFilesystem(getPatchesFolderStr());
    log("PATCH LIBRARIAN COMPLETED FILE LOADING...");

    editor = MakeGraphics(this, scaled(kEditorWidth), scaled(kEditorHeight), 0);
    log("STARTING USER INTERFACE CONFIGURATION...");
    uiConfig = std::make_unique<UIConfigManager>();
    uiConfig->useReadAhead(std::move(configAhead));
    configGraphics = std::make_unique<UIConfigGraphicsAdapter>(editor);
    uiConfig->readUIConfig(configGraphics.get(), this, librarian.get(), colourScheme, windowScale);
    log("USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI");

    takeLayoutLayers();
    mixerLayer = namedLayer("miniMixer");
    // Page switching ungrays it.
    randomizeButton = keepFirstControl(kRandomize);
    if (randomizeButton) randomizeButton->GrayOut(true);
    takeDialogLayers();
    if (resourcesFound()) {
        editor->AttachBackground(kBackgroundImageId, kBackgroundImage, windowScale);
        holdsBackgroundImage = editor->getImageById(kBackgroundImageId, 1, false).mData != nullptr;
    } else {
        showMissingResources();
    }
    AttachGraphics(editor);
    log("Layers attached...");

    buildProgressLayer();
    messageManager =
        std::make_unique<MIDIMessageManager>(this, patchManager.get(), librarian.get(), editor);
    MakeDefaultPreset("-", 64);
    patchManager->init();
    keepControlSet1();
    log("Control set 1 attached");

    // Both lists show the same sound banks; the lower one is built after the upper menu.
    BankNameShortener shortener;
    fillBankList(true, shortener);
    buildPopupMenu(0);
    fillBankList(false, shortener);
    for (int row = 1; row < kPopupMenus; ++row)
        buildPopupMenu(row);
    log("Librarian menus attached");

    keepControlSet2();
    log("Control set 2 attached... Resetting");
    resetWithDefaults();
    log("Plug-in is ready to load!");

    // A port opened later by the plug-in's own look waits until the plug-in is built.
    KIT_MutexLock built(GetMutex());
    openStoredPorts();
    for (int part = 0; part < 16; ++part) {
        filterLink[size_t(part)] = 1;
        editor->SetParameterFromPlug(kFilterLinkValue + part, 1.0, false);
    }
    EndExternalMIDILook();
    startupComplete = true;
}

Zoz::~Zoz() {
    // Nothing may reach the plug-in's objects while they go: no port opens, no MIDI arrives,
    // the editor's thread and the workers end first.
    stopExternalMIDIWatch();
    int noPort = 0;
    setExternalMIDIIn(noPort, nullptr);
    if (IGraphics* gui = GetGUI()) gui->CloseWindow();
    // The output thread posts jobs and handles the host's MIDI; a job ends with calls into the
    // plug-in, which reach the manager. Its last pass still sends what the host handed over
    // last (a note-off before a close), so the output stays usable until it is done; then no
    // send starts, and every wait of a job ends at the stop.
    StopOutputThread();
    midiIOSet = false;
    messageManager->stopWorkers();
    messageManager.reset();
    patchManager.reset();
    uiConfig->ClearImageCache();
    uiConfig.reset();
    if (holdsProgressImage) editor->ReleaseBitmapById(kProgressImageId);
    if (holdsBackgroundImage) editor->ReleaseBitmapById(kBackgroundImageId);
}

// No installer puts the data folder in place here: the first start makes it, with banks to
// begin with in a new patches folder. The log file stays the user's choice.
void Zoz::openDataFolder() {
    dataFolderPath = platform::DataFolder();
    std::error_code ignored;
    const bool newPatchesFolder =
        std::filesystem::create_directories(getPatchesFolderStr(), ignored);
    logPath = dataFolderPath + kEffectName + " LOG.txt";
    logEnabled = DebuggerOutput::openDebugFile(logPath);
    if (!newPatchesFolder) return;
    for (const std::string& problem : StarterBanks::write(getPatchesFolderStr()))
        log("PATCH LIBRARIAN: starter bank not written: ", problem);
}

// A first start writes the defaults, so that the settings can be changed from then on.
void Zoz::readSettings() {
    settingsPath = dataFolderPath + kEffectName + " UI.txt";
    std::error_code ignored;
    if (!std::filesystem::exists(settingsPath, ignored) &&
        !SettingsFile::create(settingsPath, SettingsFile::defaults()))
        log("DEFAULT SETTINGS: unable to write ", settingsPath);
    settings = SettingsFile::read(settingsPath);
    windowScale =
        SettingsFile::windowScale(SettingsFile::windowSize(settings[SettingsFile::kWindowSize]));
    colourScheme = std::max(SettingsFile::colourScheme(settings[SettingsFile::kColourScheme]), 0);
    storedOutName = !settings[SettingsFile::kMIDIOutDevice].empty();
}

bool Zoz::writeSettingsFile(const SettingsFile::Lines& lines) {
    const SettingsFile::Rewrite result = SettingsFile::rewrite(settingsPath, lines);
    if (result == SettingsFile::Rewrite::kFailed)
        log("DEFAULT SETTINGS: unable to write ", settingsPath);
    if (result != SettingsFile::Rewrite::kWritten) return false;
    settings = lines;
    return true;
}

// A module copied without the resources beside it would show a black editor: it says where
// it looked instead, in a font of the system.
void Zoz::showMissingResources() {
    const std::string message =
        std::string(kEffectName) + ": resources not found at " + platform::ResourcesFolder();
    log(message);
    editor->AttachPanelBackground(&kNoticeBackground);
    IText text;
    snprintf(text.mFont, sizeof text.mFont, "%s", "DejaVu Sans");
    text.mSize = 16;
    text.mColor = COLOR_WHITE;
    editor->AttachControl(new ITextControl(this, IRECT(0, 0, editor->Width(), editor->Height()),
                                           &text, message.c_str()));
}
