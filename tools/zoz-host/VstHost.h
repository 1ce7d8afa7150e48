#pragma once

#include "platform/vst2/Vst2.h"

#include <cstdint>
#include <string>
#include <vector>

// A VST2 host for one plug-in module: loads it, answers its calls, drives it through the life
// a host gives a plug-in (open, sample rate, block size, resume, start, events and blocks, chunks,
// stop, close) and reports on standard output, each line starting "host: ", what it did and
// what the plug-in sent back. One host per process: the plug-in's calls find it through a global.
class VstHost {
public:
    using Bytes = std::vector<uint8_t>;

    VstHost();
    ~VstHost();
    VstHost(const VstHost&) = delete;
    VstHost& operator=(const VstHost&) = delete;

    // Loads the module and calls its entry; false (with the reason in *error) when the module,
    // its entry or a valid effect record is missing.
    bool Load(const std::string& path, std::string* error);
    AEffect* Effect() const { return m_effect; }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    void PrintEffect();
    // Open, sample rate, block size, resume, start.
    void Start(double sampleRate, int blockSize, bool doublePrecision);
    // Stop, suspend, close; the effect record is gone afterwards.
    void Stop();

    // Events wait for the next block.
    void QueueMidi(const Bytes& bytes, int deltaFrames);
    void QueueSysEx(const Bytes& bytes, int deltaFrames);
    // A tempo below 0 withdraws the tempo's valid flag.
    void SetTempo(double bpm);
    void SetPlaying(bool playing);
    // Runs n blocks and reports them in one line.
    void Process(int nBlocks);
    // Runs one block without a report; its output peak.
    double ProcessBlock();
    int BlockSize() const { return m_blockSize; }
    double SampleRate() const { return m_sampleRate; }

    // The plug-in's chunk (the bank's when bank, else the program's); false when it gives none.
    bool GetChunk(bool bank, Bytes* out);
    bool SetChunk(bool bank, const Bytes& chunk);

private:
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);
    VstIntPtr answer(AEffect* effect, VstInt32 opcode, VstInt32 index, void* ptr, float opt);
    void received(const VstEvents* events);
    void sendEvents();
    void updateTime();

    void* m_module = nullptr;
    AEffect* m_effect = nullptr;
    double m_sampleRate = 48000.0;
    int m_blockSize = 256;
    bool m_double = false;
    bool m_replacing = true;
    bool m_processing = false;

    struct Pending {
        bool sysex;
        int deltaFrames;
        Bytes bytes;
    };
    std::vector<Pending> m_pending;

    VstTimeInfo m_time = {};
    double m_tempo = 120.0;
    bool m_tempoValid = true;
    bool m_playing = false;
    bool m_transportChanged = false;

    std::vector<std::vector<float>> m_floatBuffers;
    std::vector<std::vector<double>> m_doubleBuffers;
};

// Hex bytes blank-separated, as the host prints them ("F0 7E 7F").
std::string HexBytes(const uint8_t* data, size_t size);
