#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the sender and its manager need of the plug-in core. The plug-in implements it; every
// operation may be called from a worker thread.
class SenderPlugin {
public:
    virtual ~SenderPlugin() = default;

    // Sends one message to the external MIDI output: a message that does not start with F0
    // goes out as F0, the bytes, F7; one that does goes out unchanged.
    virtual bool SendMidiSysex(const uint8_t* data, int length) = 0;
    // Sends the bytes unchanged as one message to the external MIDI output.
    virtual bool SendMidiSysex2(const std::vector<uint8_t>& bytes) = 0;

    // The parameter's plain value.
    virtual double GetParamValue(int paramIdx) = 0;
    // Sets the parameter and its controls from the plug-in's side: no host is informed, no
    // parameter-change handling runs and nothing is sent.
    virtual void SetParameterFromPlug(int paramIdx, double value) = 0;

    // The editor's two display lines: the upper one names a change or a transfer message, the
    // lower one shows a value.
    virtual void setUpperDisplayText(const std::string& text) = 0;
    virtual void setLowerDisplayText(const std::string& text) = 0;

    // Set while an external MIDI output is chosen.
    virtual bool isMIDIIOSet() = 0;
    // Set while MIDI Start and Stop follow the host transport.
    virtual bool isClockStartStopEnabled() = 0;
    // Set while the MIDI clock is to tick; the clock job clears it when it finds no tempo.
    virtual bool isClockTickEnabled() = 0;
    virtual void setClockTickEnabled(bool on) = 0;
    // The host tempo in whole BPM as last cached (0 before any).
    virtual int getTempoValue() = 0;

    // Entry `index` of the named value list of the UI configuration; "" when the list or the
    // entry does not exist (nothing is inserted).
    virtual std::string getValueListText(const std::string& list, int index) = 0;

    // One line in the debug log while the log is open.
    virtual void printDebugInfo(const std::string& text) = 0;
};
