#pragma once
// Host ids: what IFxAPIBase::IdentifyHost answers for a host's product
// name, and what GetHostId() holds once the host has been identified.
// The numbers are stable (they may appear in traces and saved reports).

#include <cstdint>

namespace fx {

enum HostId : std::int32_t {
  kHostNotYetIdentified = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostVegas = 6,
  kHostFruityLoops = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostTracktion = 10,
  kHostNTracks = 11,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostBias = 19,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPresonus = 26,
  kHostVst3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMpt = 30,
  kHostWaveLab = 31,
  kHostWaveLabElements = 32,
  kHostTwistedWave = 33,
  kHostBitwig = 34,
  kHostWebBrowser = 35,
  kHostReason = 36,
  kHostGwVst = 37,
  kHostWaveform = 38,
  kHostAudacity = 39,
  kHostAcoustica = 40,
  kHostPluginDoctor = 41,
  kHostIzotopeRx = 42,
  kHostSaviHost = 43,
  kHostBlueCatVstHost = 44,
};

}  // namespace fx
