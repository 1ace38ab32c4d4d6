#include "core/IFxAPIBase.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <mutex>

#include "core/Trace.h"

namespace fx {
namespace {

struct HostEntry {
  const char* text;
  HostId id;
};

// Tested in this order: "wavelab elements" before "wavelab", and the two
// generic texts last.
constexpr HostEntry kHosts[] = {
    {"reaper", kHostReaper},
    {"protools", kHostProTools},
    {"cubase", kHostCubase},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"vegas", kHostVegas},
    {"fruity", kHostFruityLoops},
    {"samplitude", kHostSamplitude},
    {"live", kHostLive},
    {"tracktion", kHostTracktion},
    {"ntracks", kHostNTracks},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAULab},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"bias", kHostBias},
    {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},
    {"garageband", kHostGarageBand},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPresonus},
    {"vst3plugintesthost", kHostVst3TestHost},
    {"ardour", kHostArdour},
    {"renoise", kHostRenoise},
    {"openmpt", kHostOpenMpt},
    {"wavelab elements", kHostWaveLabElements},
    {"wavelab", kHostWaveLab},
    {"twistedwave", kHostTwistedWave},
    {"bitwig studio", kHostBitwig},
    {"reason", kHostReason},
    {"gwvst", kHostGwVst},
    {"waveform", kHostWaveform},
    {"audacity", kHostAudacity},
    {"acoustica", kHostAcoustica},
    {"plugindoctor", kHostPluginDoctor},
    {"izotope rx", kHostIzotopeRx},
    {"savihost", kHostSaviHost},
    {"blue cat's vst host", kHostBlueCatVstHost},
    {"standalone", kHostStandalone},
    {"www", kHostWebBrowser},
};
static_assert(sizeof kHosts / sizeof kHosts[0] == 44);

std::mutex& TimestampMutex() {
  static std::mutex m;
  return m;
}

std::string& TimestampText() {
  static std::string text;
  return text;
}

bool ToLocal(std::time_t t, std::tm& out) {
#if defined(_WIN32)
  return localtime_s(&out, &t) == 0;
#else
  return localtime_r(&t, &out) != nullptr;
#endif
}

bool ToUtc(std::time_t t, std::tm& out) {
#if defined(_WIN32)
  return gmtime_s(&out, &t) == 0;
#else
  return gmtime_r(&t, &out) != nullptr;
#endif
}

}  // namespace

IFxAPIBase::IFxAPIBase(const IFxConfig& config) : IFxBase(config) {
  SetEditorSize(config.editorWidth, config.editorHeight);
  SetEditorSizeLimits(config.minWidth, config.maxWidth, config.minHeight, config.maxHeight);

  TextBuffer stamp;
  const std::time_t now = std::time(nullptr);
  std::tm local{}, utc{};
  if (ToLocal(now, local) && ToUtc(now, utc)) FormatTimestamp(local, utc, stamp);
  {
    std::lock_guard<std::mutex> lock(TimestampMutex());
    TimestampText().assign(stamp.View());
  }
  FX_TRACE("fx::IFxAPIBase::IFxAPIBase", "%s:%s", GetPluginName(), stamp.Get());
}

IFxAPIBase::~IFxAPIBase() {
  // The timer's callback points at this object: it goes first.
  if (timer_) timer_->Stop();
  timer_.reset();
}

void IFxAPIBase::PushAllParamsToHost() {
  for (std::int32_t i = 0; i < NParams(); ++i) SendParamValueToHost(i, GetParam(i)->GetNormalizedValue());
}

void IFxAPIBase::BeginParamGestureFromEditor(std::int32_t index) { BeginParamGesture(index); }

void IFxAPIBase::SetParamFromEditor(std::int32_t index, double normalized) {
  IParam* param = GetParam(index);
  if (!param) return;
  param->SetNormalizedValue(normalized);
  SendParamValueToHost(index, normalized);
  // The base notification by its qualified name: it is the one that touches
  // no editor state, whatever an effect's override of OnParamChange does.
  IEditorDelegate::OnParamChange(index, ChangeSource::UI, -1);
  // Set again on purpose: hosts answer the automation call by sending the
  // value straight back through setParameter, narrowed to a 32-bit float.
  // The second store puts back the editor's full-precision value, so the
  // model keeps exactly what the control shows.
  param->SetNormalizedValue(normalized);
  OnParamChangeInEditor(index, ChangeSource::UI);
}

void IFxAPIBase::EndParamGestureFromEditor(std::int32_t index) { EndParamGesture(index); }

bool IFxAPIBase::ResizeFromEditor(std::int32_t width, std::int32_t height, bool needsPlatformResize) {
  return needsPlatformResize ? ResizeEditorWindow(width, height) : true;
}

void IFxAPIBase::SendMidiFromEditor(const MidiMessage& message) { QueueEditorMidi(message); }

void IFxAPIBase::SendSysExFromEditor(const SysExMessage& message) { QueueEditorSysEx(message); }

void IFxAPIBase::SendMessageFromEditor(std::int32_t messageTag, std::int32_t controlTag, std::int32_t dataSize,
                                       const void* data) {
  OnEditorMessage(messageTag, controlTag, dataSize, data);
}

void IFxAPIBase::QueueEditorMidi(const MidiMessage& message) { midiFromEditor_.Push(message); }

void IFxAPIBase::QueueEditorSysEx(const SysExMessage& message) {
  SysExRecord record;
  if (MakeSysExRecord(message, record)) sysExFromEditor_.Push(record);
}

bool IFxAPIBase::StateMatches(const double* data, std::int32_t count, std::int32_t position) const {
  if (!data || position < 0 || static_cast<std::int64_t>(position) + NParams() > count) return false;
  for (std::int32_t i = 0; i < NParams(); ++i) {
    const float a = static_cast<float>(GetParam(i)->GetValue());
    const float b = static_cast<float>(data[position + i]);
    if (!(static_cast<double>(std::fabs(a - b)) < 1e-05)) return false;
  }
  return true;
}

void IFxAPIBase::AfterHostIdentified() {}

bool IFxAPIBase::GetMidiNoteName(std::int32_t /*note*/, TextBuffer& name) {
  name.Clear();
  return false;
}

IGraphicsContext* IFxAPIBase::GetEditorGraphics() { return GetGraphics(); }

void IFxAPIBase::OnIdleTick() {}

void IFxAPIBase::QueueParamValueForEditor(std::int32_t index, double value, bool isNormalized) {
  const IParam* param = GetParam(index);
  if (!param) return;  // the editor has nothing to show for it
  paramsToEditor_.Push({index, isNormalized ? param->RealFromNormalized(value) : value});
}

void IFxAPIBase::ApplyHostQuirks() {}

bool IFxAPIBase::ResizeEditorWindow(std::int32_t /*width*/, std::int32_t /*height*/) { return false; }

void IFxAPIBase::BeginParamGesture(std::int32_t /*index*/) {}

void IFxAPIBase::EndParamGesture(std::int32_t /*index*/) {}

void IFxAPIBase::SendParamValueToHost(std::int32_t /*index*/, double /*normalized*/) {}

// Extension points: neutral defaults.

void IFxAPIBase::OnParentWindowResize(std::int32_t /*width*/, std::int32_t /*height*/) {}

void IFxAPIBase::OnBeforeStateWrite() {}

bool IFxAPIBase::WriteExtraState(StateChunk& /*chunk*/) { return true; }

std::int32_t IFxAPIBase::ReadExtraState(const StateChunk& /*chunk*/, std::int32_t position) { return position; }

bool IFxAPIBase::OnHostRequestingProductHelp() { return false; }

bool IFxAPIBase::OnHostRequestingAboutBox() { return false; }

void IFxAPIBase::ListImportantParams(std::int32_t count, std::vector<std::int32_t>& list) {
  if (count >= NParams()) return;
  for (std::int32_t i = 0; i < count; ++i) list.push_back(i);
}

bool IFxAPIBase::OnHostRequestingSupportedViewConfiguration(std::int32_t /*width*/, std::int32_t /*height*/) {
  return true;
}

void IFxAPIBase::OnHostSelectedViewConfiguration(std::int32_t /*width*/, std::int32_t /*height*/) {}

void IFxAPIBase::GetTrackColor(std::int32_t& red, std::int32_t& green, std::int32_t& blue) {
  red = green = blue = 0;
}

void IFxAPIBase::SetTrackIndex(std::int32_t /*index*/) {}

std::int32_t IFxAPIBase::GetTrackIndex() { return 0; }

void IFxAPIBase::SetTrackNamespaceIndex(std::int32_t /*index*/) {}

std::int32_t IFxAPIBase::GetTrackNamespaceIndex() { return 0; }

void IFxAPIBase::SetHostLatencyHint(std::int32_t /*samples*/) {}

void IFxAPIBase::SetHostTailHint(std::int32_t /*samples*/) {}

void IFxAPIBase::SetHost(const char* productName, std::int32_t version) {
  if (!productName) productName = "";
  SetHostIdentity(IdentifyHost(productName), version);
  TextBuffer versionText;
  GetHostVersionText(versionText);
  FX_TRACE("fx::IFxAPIBase::SetHost", "host_%sknown:%s:%s", GetHostId() == kHostUnknown ? "un" : "", productName,
           versionText.Get());
}

std::int32_t IFxAPIBase::IdentifyHost(const char* productName) {
  if (!productName) return kHostUnknown;
  char lower[256];
  std::size_t n = 0;
  for (; n + 1 < sizeof lower && productName[n] != '\0'; ++n)
    lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(productName[n])));
  lower[n] = '\0';
  for (const HostEntry& entry : kHosts)
    if (std::strstr(lower, entry.text)) return entry.id;
  return kHostUnknown;
}

void IFxAPIBase::GetHostVersionText(TextBuffer& out) const {
  const auto v = static_cast<std::uint32_t>(GetHostVersion());
  out.SetFormatted(32, "v%d.%d.%d", static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 0xFF),
                   static_cast<int>(v & 0xFF));
}

const char* IFxAPIBase::GetAPIName() const { return APIName(GetAPIKind()); }

const char* IFxAPIBase::APIName(std::int32_t kind) {
  static constexpr const char* kNames[] = {"VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB"};
  return kind >= 0 && kind < 8 ? kNames[kind] : "";
}

void IFxAPIBase::StartEditorTimer() {
  // The previous timer is stopped and destroyed before its replacement starts.
  timer_.reset();
  timer_ = Timer::Create([this](Timer& timer) { OnTimerTick(timer); }, kTimerPeriodMs);
}

void IFxAPIBase::OnStateRestored() { stateRestoredSerial_.fetch_add(1, std::memory_order_release); }

void IFxAPIBase::OnTimerTick(Timer& /*timer*/) {
  if (HasEditor()) {
    ParamChange change;
    while (paramsToEditor_.Pop(change)) PushParamValueToEditor(change.index, change.value, false);
    // After the queue: a restore's values are newer than what was queued
    // before it, and the parameters already hold them.
    const std::uint32_t restored = stateRestoredSerial_.load(std::memory_order_acquire);
    if (restored != stateSentSerial_) {
      stateSentSerial_ = restored;
      SendAllParamValuesToEditor();
    }
    MidiMessage midi;
    while (midiToEditor_.Pop(midi)) PushMidiToEditor(midi);
    while (sysExToEditor_.Pop(tickSysEx_)) PushSysExToEditor({tickSysEx_.offset, tickSysEx_.size, tickSysEx_.data});
  }
  OnIdleTick();
}

bool IFxAPIBase::PopMidiFromEditor(MidiMessage& out) { return midiFromEditor_.Pop(out); }

bool IFxAPIBase::PopSysExFromEditor(SysExMessage& out) {
  if (!sysExFromEditor_.Pop(sysExWork_)) return false;
  out = {sysExWork_.offset, sysExWork_.size, sysExWork_.data};
  return true;
}

bool IFxAPIBase::QueueMidiForEditor(const MidiMessage& message) { return midiToEditor_.Push(message); }

bool IFxAPIBase::QueueSysExForEditor(const SysExMessage& message) {
  SysExRecord record;
  return MakeSysExRecord(message, record) && sysExToEditor_.Push(record);
}

bool IFxAPIBase::MakeSysExRecord(const SysExMessage& message, SysExRecord& record) {
  // A message that does not fit is dropped whole rather than cut: a cut
  // system-exclusive message is a different message.
  if (message.size < 0 || message.size > SysExRecord::kMaxBytes) return false;
  record.offset = message.offset;
  record.size = message.size;
  if (message.data)
    std::memcpy(record.data, message.data, static_cast<std::size_t>(message.size));
  else
    std::memset(record.data, 0, sizeof record.data);
  return true;
}

void IFxAPIBase::FormatTimestamp(const std::tm& local, const std::tm& utc, TextBuffer& out) {
  char text[64];
  const std::size_t n = std::strftime(text, 33, "%Y%m%d %H:%M ", &local);
  text[n] = '\0';
  std::int32_t minutes = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
  std::int32_t days = local.tm_yday - utc.tm_yday;
  // Across the turn of the year the day-of-year difference is large and of
  // the opposite sign.
  if (days > 1) days = -1;
  if (days < -1) days = 1;
  minutes += days * 1440;
  const char sign = minutes < 0 ? '-' : '+';
  if (minutes < 0) minutes = -minutes;
  out.SetFormatted(63, "%s%c%02d%02d", text, sign, minutes / 60, minutes % 60);
}

std::string IFxAPIBase::GetConstructionTimestamp() {
  std::lock_guard<std::mutex> lock(TimestampMutex());
  return TimestampText();
}

}  // namespace fx
