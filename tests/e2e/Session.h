#pragma once

#include "tests/support/BankFileGenerator.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/OutputLines.h"
#include "tests/support/QsimProcess.h"

#include <memory>
#include <string>
#include <vector>

// One end-to-end session: a data folder and resources of its own, the simulated synthesizer
// on the MIDI system, and zoz-host running a plug-in module whose editor is on the display.
//
// The data folder holds the settings file "Zoz Editor UI.txt" (yellow, normal, "yes", the
// synthesizer's input port as MIDI Out, its output port as MIDI In) and a "Patches" folder for
// the banks a session adds. The resources folder holds a configuration's two .tea files and the
// rendered images. The host's lines and the synthesizer's record are kept for the checks.
class Session {
public:
    struct Options {
        testsupport::QsimProcess::Options synth;
        // The folder of the configuration's uiconfig.tea and sysex.tea: the generated session
        // configuration unless another (the product's own) is named.
        std::string configuration = ZOZ_SESSION_RESOURCES;
    };

    // Why sessions cannot run here ("" when they can): they need the JACK server and the
    // virtual display that scripts/test starts.
    static std::string Missing();

    // Starts the synthesizer as client "zozq<pid><tag>" and lays out the folders.
    explicit Session(const std::string& tag, const Options& options);
    explicit Session(const std::string& tag) : Session(tag, Options()) {}
    ~Session();

    bool Ready() const { return m_synth->Ready(); }
    testsupport::QsimProcess& Synth() { return *m_synth; }
    const std::string& DataFolder() const { return m_data.path(); }
    // A bank file of these dumps at Patches/<name>.
    void AddBank(const std::string& name, const std::vector<testsupport::Dump>& dumps);

    // Starts zoz-host with the module and the commands (see zoz-host's usage).
    bool StartHost(const std::string& module, const std::vector<std::string>& commands);
    // Waits for a line of the host's that starts with prefix, after those already waited for
    // (kept in *line when given); false when none came within timeoutMs.
    bool WaitForHost(const std::string& prefix, int timeoutMs, std::string* line = nullptr);
    std::vector<std::string> HostLines() const;
    // Ends the host's running "run=" command: it goes on with the next one.
    bool NextCommand();
    // Asks the host to quit as a user would (SIGTERM).
    bool QuitHost();
    // The host's exit status once it ended (-1 when it did not end within timeoutMs).
    int FinishHost(int timeoutMs = 60000);

    // Mouse actions at points of the unscaled editor window: a click (button 1 left, 3 right)
    // and a drag by dy pixels (up is negative).
    bool Click(int x, int y, int button = 1);
    bool Drag(int x, int y, int dy);

    // A row of a popup menu: its index, separators included, and the separators above it.
    struct MenuRow {
        int index;
        int separatorsAbove;
    };
    // Clicks the menu control over area (left, top, right, bottom) and picks the rows by their
    // place, each but the last opening the submenu the next one lies in.
    bool ChooseMenuItem(const int area[4], const std::vector<MenuRow>& rows);
    // What the display shows at a point of the editor, as 0xRRGGBB.
    unsigned long PixelAt(int x, int y);

private:
    bool editorWindow();
    bool pointer(int x, int y);

    testsupport::TempFolder m_data;
    testsupport::TempFolder m_resources;
    std::unique_ptr<testsupport::QsimProcess> m_synth;
    std::unique_ptr<testsupport::ChildProcess> m_host;
    std::unique_ptr<testsupport::OutputLines> m_hostOutput;
    size_t m_hostNext = 0; // the first host line WaitForHost has not looked at
    std::string m_window;
};
