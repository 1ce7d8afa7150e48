#pragma once

// The host's transport as the plug-in sees it; the start values stand until the host reports.
struct ITimeInfo {
    double tempo = 120.0;
    double samplePos = -1.0;
    double ppqPos = -1.0;
    double lastBar = -1.0;
    double cycleStart = -1.0;
    double cycleEnd = -1.0;
    int numerator = 4;
    int denominator = 4;
    bool transportIsRunning = false;
    bool transportLoopEnabled = false;
};
