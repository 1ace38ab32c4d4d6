// A small VST2 gain effect for testing ombrisk-host: two parameters, two
// programs, state chunks, and (chosen at build time through TESTFX_FAULT) one
// deliberate fault for the validator to find.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "vst2/VstInterface.h"

#define FAULT_NONE 0
#define FAULT_NAN 1           // outputs NaN from the third block on
#define FAULT_CHUNK_DRIFT 2   // each chunk written differs from the state read
#define FAULT_NO_ENTRY 3      // exports no entry point
#define FAULT_NULL_MAIN 4     // the entry point returns no effect
#define FAULT_BAD_MAGIC 5     // the record carries a wrong magic number
#define FAULT_LATENCY 6       // not a fault: delays by 32 samples and says so
#define FAULT_PARAM_RANGE 7   // getParameter answers above 1
#define FAULT_BAD_AUTOMATE 8  // tells the host about a parameter that does not exist
#define FAULT_DEAD_EDITOR 9   // announces an editor that never opens

#ifndef TESTFX_FAULT
#define TESTFX_FAULT FAULT_NONE
#endif

#if defined(_WIN32)
#define TESTFX_EXPORT extern "C" __declspec(dllexport)
#else
#define TESTFX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

using namespace vst2;

constexpr std::int32_t kNumParams = 2;
constexpr std::int32_t kNumPrograms = 2;
constexpr std::int32_t kLatency = TESTFX_FAULT == FAULT_LATENCY ? 32 : 0;
constexpr std::int32_t kDelayLength = kLatency > 0 ? kLatency : 1;
constexpr char kChunkMagic[4] = {'O', 'T', 'F', 'X'};
constexpr std::size_t kChunkSize = 12;
const char* const kProgramNames[kNumPrograms] = {"Unity", "Half"};
constexpr float kProgramGains[kNumPrograms] = {0.5F, 0.25F};

// effVendorSpecific with this index and a TestFxEcho: the plug-in makes that host call.
constexpr std::int32_t kEchoQuery = FourCharCode('E', 'c', 'h', 'o');
struct TestFxEcho {
  std::int32_t opcode;
  std::int32_t index;
  std::intptr_t value;
  float opt;
  void* ptr;
};

// Hosts' buffers are often no bigger than the interface's named lengths: bound every copy.
void Copy(void* ptr, const char* text, std::size_t capacity) {
  if (ptr == nullptr || capacity == 0) return;
  auto* out = static_cast<char*>(ptr);
  std::size_t n = 0;
  for (; n + 1 < capacity && text[n] != '\0'; ++n) out[n] = text[n];
  out[n] = '\0';
}

struct TestFx {
  AEffect effect{};
  audioMasterCallback host = nullptr;
  ERect editorRect{0, 0, 300, 400};  // top, left, bottom, right
  std::atomic<float> gain{0.5F};      // normalised: 0..1 is 0..200 %
  std::atomic<float> polarity{0.0F};  // < 0.5 normal, else inverted
  std::int32_t program = 0;
  std::int32_t blocks = 0;
  unsigned char chunk[kChunkSize] = {};
  float delay[2][kLatency + 1] = {};
  std::int32_t delayPos = 0;

  float Gain() const { return 2.0F * gain.load() * (polarity.load() < 0.5F ? 1.0F : -1.0F); }

  template <typename Sample>
  void Process(Sample** inputs, Sample** outputs, std::int32_t frames, bool accumulate) {
    const float g = Gain();
    ++blocks;
    for (std::int32_t c = 0; c < 2; ++c) {
      if (inputs == nullptr || outputs == nullptr || inputs[c] == nullptr || outputs[c] == nullptr) continue;
      for (std::int32_t i = 0; i < frames; ++i) {
        Sample x = inputs[c][i];
        if constexpr (kLatency > 0) {
          const float delayed = delay[c][(delayPos + i) % kDelayLength];
          delay[c][(delayPos + i) % kDelayLength] = static_cast<float>(x);
          x = static_cast<Sample>(delayed);
        }
        Sample y = static_cast<Sample>(x * static_cast<Sample>(g));
        if (TESTFX_FAULT == FAULT_NAN && blocks > 2) y = std::numeric_limits<Sample>::quiet_NaN();
        if (!std::isfinite(y)) y = TESTFX_FAULT == FAULT_NAN ? y : Sample(0);
        outputs[c][i] = accumulate ? outputs[c][i] + y : y;
      }
    }
    if constexpr (kLatency > 0) delayPos = (delayPos + (frames > 0 ? frames : 0)) % kDelayLength;
  }

  void WriteChunk() {
    float values[2] = {gain.load(), polarity.load()};
    if (TESTFX_FAULT == FAULT_CHUNK_DRIFT) values[0] = values[0] * 0.5F + 0.01F;
    std::memcpy(chunk, kChunkMagic, 4);
    std::memcpy(chunk + 4, values, sizeof values);
  }

  bool ReadChunk(const void* data, std::intptr_t size) {
    if (data == nullptr || size < static_cast<std::intptr_t>(kChunkSize)) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (std::memcmp(bytes, kChunkMagic, 4) != 0) return false;
    float values[2];
    std::memcpy(values, bytes + 4, sizeof values);
    for (float v : values) {
      if (!(v >= 0.0F && v <= 1.0F)) return false;
    }
    gain = values[0];
    polarity = values[1];
    return true;
  }

  std::intptr_t Dispatch(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr, float opt) {
    const bool validParam = index >= 0 && index < kNumParams;
    switch (opcode) {
      case effClose: delete this; return 0;
      case effSetProgram:
        if (value >= 0 && value < kNumPrograms) {
          program = static_cast<std::int32_t>(value);
          gain = kProgramGains[program];
        }
        return 0;
      case effGetProgram: return program;
      case effGetProgramName: Copy(ptr, kProgramNames[program], kVstMaxProgNameLen); return 0;
      case effGetProgramNameIndexed:
        if (ptr == nullptr || index < 0 || index >= kNumPrograms) return 0;
        Copy(ptr, kProgramNames[index], kVstMaxProgNameLen);
        return 1;
      case effGetParamName:
        if (validParam) Copy(ptr, index == 0 ? "Gain" : "Polarity", kVstMaxNameLen);
        return 0;
      case effGetParamLabel:
        if (validParam) Copy(ptr, index == 0 ? "%" : "", kVstMaxParamStrLen);
        return 0;
      case effGetParamDisplay:
        if (validParam && ptr != nullptr) {
          if (index == 0) std::snprintf(static_cast<char*>(ptr), kVstMaxParamStrLen, "%.1f", static_cast<double>(gain.load() * 200.0F));
          else Copy(ptr, polarity.load() < 0.5F ? "Normal" : "Invert", kVstMaxParamStrLen);
        }
        return 0;
      case effString2Parameter: {
        if (!validParam) return 0;
        if (ptr == nullptr) return 1;
        const char* text = static_cast<const char*>(ptr);
        if (index == 1) {
          if (std::strcmp(text, "Normal") == 0) polarity = 0.0F;
          else if (std::strcmp(text, "Invert") == 0) polarity = 1.0F;
          else return 0;
          return 1;
        }
        char* end = nullptr;
        const double percent = std::strtod(text, &end);
        if (end == text || !std::isfinite(percent)) return 0;
        gain = static_cast<float>(std::fmin(std::fmax(percent / 200.0, 0.0), 1.0));
        return 1;
      }
      case effCanBeAutomated: return validParam ? 1 : 0;
      case effGetParameterProperties: {
        if (!validParam || ptr == nullptr) return 0;
        auto* props = static_cast<VstParameterProperties*>(ptr);
        if (index == 1) {
          props->flags = kVstParameterIsSwitch;
        } else {
          props->flags = kVstParameterUsesFloatStep;
          props->stepFloat = props->smallStepFloat = props->largeStepFloat = 0.01F;
        }
        return 1;
      }
      case effGetChunk:
        if (ptr == nullptr) return 0;
        WriteChunk();
        *static_cast<void**>(ptr) = chunk;
        return static_cast<std::intptr_t>(kChunkSize);
      case effSetChunk: return ReadChunk(ptr, value) ? 1 : 0;
      case effProcessEvents: return ptr != nullptr ? 1 : 0;
      case effGetInputProperties:
      case effGetOutputProperties: {
        if (ptr == nullptr || index < 0 || index >= 2) return 0;
        auto* pin = static_cast<VstPinProperties*>(ptr);
        pin->flags = kVstPinIsActive | (index == 0 ? kVstPinIsStereo : 0);
        std::snprintf(pin->label, sizeof pin->label, "%s %d", opcode == effGetInputProperties ? "In" : "Out", index + 1);
        return 1;
      }
      case effGetPlugCategory: return kPlugCategEffect;
      case effGetEffectName: if (ptr == nullptr) return 0; Copy(ptr, "TestFx Gain", kVstMaxEffectNameLen); return 1;
      case effGetVendorString: if (ptr == nullptr) return 0; Copy(ptr, "Ombrisk Tests", kVstMaxVendorStrLen); return 1;
      case effGetProductString: if (ptr == nullptr) return 0; Copy(ptr, "TestFx", kVstMaxProductStrLen); return 1;
      case effGetVendorVersion: return 10203;
      case effCanDo:
        if (ptr == nullptr) return 0;
        return std::strcmp(static_cast<const char*>(ptr), "receiveVstTimeInfo") == 0 ? 1 : 0;
      case effGetTailSize: return 1;  // none
      case effEditGetRect:
        if (TESTFX_FAULT != FAULT_DEAD_EDITOR || ptr == nullptr) return 0;
        *static_cast<ERect**>(ptr) = &editorRect;
        return 1;
      case effEditOpen: return 0;
      case effVendorSpecific:
        // Repeats a host call on request, so that tests can make it as an editor would.
        if (index == kEchoQuery && ptr != nullptr && host != nullptr) {
          const auto* call = static_cast<const TestFxEcho*>(ptr);
          return host(&effect, call->opcode, call->index, call->value, call->ptr, call->opt);
        }
        return 0;
      case effGetVstVersion: return kVstVersion;
      case effSetSampleRate:
      case effSetBlockSize:
      case effMainsChanged:
        (void)opt;
        return 0;
      default: return 0;
    }
  }
};

TestFx* Self(AEffect* effect) { return static_cast<TestFx*>(effect->object); }

std::intptr_t OMBRISK_VSTCALL Dispatcher(AEffect* e, std::int32_t op, std::int32_t index, std::intptr_t value, void* ptr,
                                         float opt) {
  if (e == nullptr || e->object == nullptr) return 0;
  return Self(e)->Dispatch(op, index, value, ptr, opt);
}
void OMBRISK_VSTCALL Replacing(AEffect* e, float** in, float** out, std::int32_t frames) {
  Self(e)->Process(in, out, frames, false);
}
void OMBRISK_VSTCALL Accumulating(AEffect* e, float** in, float** out, std::int32_t frames) {
  Self(e)->Process(in, out, frames, true);
}
void OMBRISK_VSTCALL DoubleReplacing(AEffect* e, double** in, double** out, std::int32_t frames) {
  Self(e)->Process(in, out, frames, false);
}
void OMBRISK_VSTCALL SetParameter(AEffect* e, std::int32_t index, float value) {
  TestFx* fx = Self(e);
  if (TESTFX_FAULT == FAULT_BAD_AUTOMATE && fx->host != nullptr) fx->host(e, audioMasterAutomate, kNumParams, 0, nullptr, value);
  if (!(value >= 0.0F && value <= 1.0F)) value = value > 1.0F ? 1.0F : 0.0F;  // NaN goes to 0
  if (index == 0) fx->gain = value;
  else if (index == 1) fx->polarity = value;
}
float OMBRISK_VSTCALL GetParameter(AEffect* e, std::int32_t index) {
  TestFx* fx = Self(e);
  const float scale = TESTFX_FAULT == FAULT_PARAM_RANGE ? 2.0F : 1.0F;
  if (index == 0) return fx->gain.load() * scale;
  if (index == 1) return fx->polarity.load() * scale;
  return 0.0F;
}

[[maybe_unused]] AEffect* Create(audioMasterCallback host) {
  if (TESTFX_FAULT == FAULT_NULL_MAIN) return nullptr;
  if (host != nullptr && host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0F) == 0) return nullptr;
  // A host must not call into a record with the wrong magic, so it cannot close
  // this one: keep it static rather than leak it.
  static TestFx notClosable;
  auto* fx = TESTFX_FAULT == FAULT_BAD_MAGIC ? &notClosable : new (std::nothrow) TestFx();
  if (fx == nullptr) return nullptr;
  fx->host = host;
  AEffect& e = fx->effect;
  e.magic = TESTFX_FAULT == FAULT_BAD_MAGIC ? FourCharCode('N', 'o', 'p', 'e') : kEffectMagic;
  e.dispatcher = &Dispatcher;
  e.process = &Accumulating;
  e.setParameter = &SetParameter;
  e.getParameter = &GetParameter;
  e.numPrograms = kNumPrograms;
  e.numParams = kNumParams;
  e.numInputs = 2;
  e.numOutputs = 2;
  e.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsProgramChunks |
            (TESTFX_FAULT == FAULT_DEAD_EDITOR ? effFlagsHasEditor : 0);
  e.initialDelay = kLatency;
  e.ioRatio = 1.0F;
  e.object = fx;
  e.uniqueID = FourCharCode('O', 'T', 'f', 'x');
  e.version = 10203;
  e.processReplacing = &Replacing;
  e.processDoubleReplacing = &DoubleReplacing;
  return &e;
}

}  // namespace

#if TESTFX_FAULT != FAULT_NO_ENTRY
TESTFX_EXPORT vst2::AEffect* OMBRISK_VSTCALL VSTPluginMain(vst2::audioMasterCallback host) { return Create(host); }
#else
TESTFX_EXPORT int TestFxNotAPlugin() { return 0; }
#endif
