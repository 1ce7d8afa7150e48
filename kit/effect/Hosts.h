#pragma once

// Host application, identified from the product string the host reports.
enum EHost {
    kHostUninit = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostProTools = 2,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostSonar = 5,
    kHostVegas = 6,
    kHostFL = 7,
    kHostSamplitude = 8,
    kHostAbletonLive = 9,
    kHostTracktion = 10,
    kHostNTracks = 11,
    kHostMelodyneStudio = 12,
    kHostVSTScanner = 13,
    kHostAULab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostBias = 19,
    kHostSAWStudio = 20,
    kHostLogic = 21,
    kHostGarageBand = 22,
    kHostDigitalPerformer = 23,
    kHostStandalone = 24,
    kHostAudioMulch = 25,
    kHostStudioOne = 26,
    kHostVST3TestHost = 27,
    kHostArdour = 28
};

// The first host whose key occurs anywhere in the lower-cased product string (at most 255
// characters are looked at); kHostUnknown when none does.
EHost LookUpHost(const char* productString);
// Writes the host's name (at most 18 characters and the terminator) into out.
void GetHostNameStr(EHost host, char* out);
