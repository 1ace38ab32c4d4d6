// Feeds arbitrary bytes to every reader of host-supplied chunks. The first
// byte picks the reader, the second the start position; the rest is the
// chunk. Beyond what AddressSanitizer catches, each run checks that the
// reader's answer and the plug-in's state stay within their bounds.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "../FakeGraphicsContext.h"
#include "../TestPlugin.h"
#include "core/IFxBase.h"
#include "core/StateChunk.h"

namespace {

using testing_support::FakeGraphicsContext;
using testing_support::TestConfig;
using testing_support::TestPlugin;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckPosition(std::int32_t position, std::int32_t start, const fx::StateChunk& chunk) {
  Check(position == -1 || (position >= start && position <= chunk.Size()));
}

void CheckPlugin(const TestPlugin& p) {
  for (std::int32_t i = 0; i < p.NParams(); ++i) {
    const fx::IParam* param = p.GetParam(i);
    const double v = param->GetValue();
    Check(!std::isnan(v) && v >= param->GetMin() && v <= param->GetMax());
  }
  for (std::int32_t i = 0; i < p.NPresets(); ++i)
    Check(std::memchr(p.GetPreset(i)->name, 0, fx::PresetSlot::kNameSize) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t op = data[0] & 3;
  const std::int32_t start = data[1] < 0xF0 ? data[1] : -static_cast<std::int32_t>(data[1] - 0xEF);
  fx::StateChunk chunk;
  chunk.PutBytes(data + 2, static_cast<std::int32_t>(size - 2));

  TestPlugin p(TestConfig(7, 3));
  switch (op) {
    case 0: {
      CheckPosition(p.UnserializeParams(chunk, start), start, chunk);
      break;
    }
    case 1: {
      CheckPosition(p.UnserializePresets(chunk, start), start, chunk);
      CheckPlugin(p);
      // Whatever was read must survive a write and a read unchanged.
      fx::StateChunk bank;
      Check(p.SerializePresets(bank) || bank.Size() == 0);
      TestPlugin q(TestConfig(7, 3));
      q.UnserializePresets(bank, 0);
      for (std::int32_t i = 0; i < 3; ++i) {
        Check(std::strcmp(q.GetPresetName(i), p.GetPresetName(i)) == 0);
        Check(q.GetPreset(i)->initialized == p.GetPreset(i)->initialized);
      }
      break;
    }
    case 2: {
      std::int32_t position = start;
      const std::int32_t version = fx::IFxBase::ReadChunkVersion(chunk, position);
      Check(position == start || position == start + 8 || position == -1);
      if (position == start) {
        Check(version == 0);
      } else {  // only a header moves the position
        std::int32_t magic = 0;
        Check(chunk.GetInt32(magic, start) == start + 4 && magic == fx::ChunkMagic);
      }
      if (position >= 0) CheckPosition(p.ReadState(chunk, position), position, chunk);
      break;
    }
    case 3: {
      CheckPosition(p.ReadEditorState(chunk, start), start, chunk);
      p.SetEditorCreateFunction([] { return std::make_unique<FakeGraphicsContext>(1630, 1010, 0.5f); });
      p.OpenEditor(nullptr);
      CheckPosition(p.ReadEditorState(chunk, start), start, chunk);
      const auto* g = static_cast<const FakeGraphicsContext*>(p.GetGraphics());
      for (const auto& r : g->resizes) Check(r.width > 0 && r.height > 0 && std::isfinite(r.scale) && r.scale > 0);
      p.CloseEditor();
      break;
    }
  }
  CheckPlugin(p);
  return 0;
}
