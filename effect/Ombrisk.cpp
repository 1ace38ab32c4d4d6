#include "effect/Ombrisk.h"

#include <algorithm>

#include "effect/OmbriskEditor.h"
#include "effect/OmbriskParameters.h"
#include "vst2/PluginFactory.h"

namespace ombrisk {

fx::IFxConfig Ombrisk::MakeConfig() {
  fx::IFxConfig c;
  c.nParams = kNumParams;
  c.nPresets = 1;
  c.channelIOString = "1-1 2-2";
  c.pluginName = "Ombrisk";
  c.productName = "Ombrisk";
  c.makerName = "Halvorant";
  c.version = 0x00010000;
  c.uniqueId = 0x756A7061;  // 'ujpa'
  c.makerId = 0x484C5654;   // 'HLVT'
  c.latency = 0;
  c.midiIn = false;
  c.midiOut = false;
  c.mpe = false;
  c.stateChunks = false;
  c.pluginKind = 0;
  // A Win32 window on Windows, an X11 one on Linux.
  c.hasEditor = true;
  c.editorWidth = 1630;
  c.editorHeight = 1010;
  c.minWidth = 815;
  c.maxWidth = 3260;
  c.minHeight = 505;
  c.maxHeight = 2020;
  c.hostResize = true;
  c.bundleId = "";
  return c;
}

Ombrisk::Ombrisk(const fx::HostLaunchInfo& info)
    // The per-channel state is sized for every output the frame can connect,
    // and at least for two channels.
    : fx::IFxVST2(info, MakeConfig()), signalPath_(std::max(2, NChannelsConnected(fx::kOutput))) {
  fx::IParam* params[kNumParams];
  for (int i = 0; i < kNumParams; ++i) params[i] = GetParam(i);
  InitOmbriskParameters(params);
  SetEditorCreateFunction([this] { return CreateEditorGraphics(*this); });
  SetLayoutFunction([](fx::IGraphicsContext& graphics) { LayoutEditor(graphics); });
  // Hosts size their editor frame from effEditGetRect before the first open:
  // answer the window the editor really opens, the page at its initial zoom,
  // not the page in layout units.
  SetEditorSize(static_cast<std::int32_t>(kEditorWidth * kEditorInitialScale),
                static_cast<std::int32_t>(kEditorHeight * kEditorInitialScale));
}

Ombrisk::~Ombrisk() = default;

void Ombrisk::ProcessAudioBlock(double** inputs, double** outputs, std::int32_t nFrames) {
  double values[kNumParams];
  for (int i = 0; i < kNumParams; ++i) values[i] = GetParam(i)->GetValue();
  signalPath_.ProcessAudioBlock(values, GetSampleRate(), NChannelsConnected(fx::kOutput), inputs, outputs, nFrames);
}

void Ombrisk::OnProcessorReset() { signalPath_.OnProcessorReset(GetSampleRate()); }

}  // namespace ombrisk

fx::IFxVST2* fx::MakeVstPlugin(const fx::HostLaunchInfo& info) {
  // Out of memory is the one way construction can fail; the host gets null
  // rather than an exception through its call.
  try {
    return new ombrisk::Ombrisk(info);
  } catch (...) {
    return nullptr;
  }
}
