// A drawing context held by a static that was made before any context
// existed is destroyed at exit, after main has returned and after every
// other context has gone, as a benchmark's or a host's static editor would
// be. The process-wide caches it uses (font data, decoded artwork) must
// still be there for it, holding what it put in them, and go with it. The
// program fails by crashing at exit, or by its exit status.
#include <cstdio>
#include <memory>
#include <vector>

#include "DrawingTestSupport.h"
#include "graphics/drawing/IGraphicsVector.h"

namespace {

using fx::igraphics::DecodedImageCache;
using fx::igraphics::FontDataCache;
using fx::igraphics::IGraphicsVector;

struct Held {
  fx::igraphics::test::TestDelegate delegate;
  fx::igraphics::test::MemoryStore store;
  std::unique_ptr<IGraphicsVector> context;
  ~Held() {
    context.reset();
    // Only now, with the last context, do the caches go.
    if (FontDataCache::Shared::Current() || DecodedImageCache::Shared::Current()) {
      std::fprintf(stderr, "the caches outlived their last user\n");
      std::_Exit(1);
    }
  }
};

bool Fill(IGraphicsVector& g) {
  const bool font = g.GetFontDataCache().FindOrAdd("exit-font", [](std::vector<std::uint8_t>& d) {
    d.assign(64, 7);
    return true;
  }) != nullptr;
  return font && g.LoadBitmapStrip("Exit.png", 1, false, 1).IsValid();
}

}  // namespace

int main() {
  static Held held;  // before any context: destroyed after everything below
  held.store.Add("Exit.png", fx::igraphics::test::EncodePng(4, 4, std::vector<std::uint8_t>(64, 128)));
  {
    // Another context comes first and goes first.
    IGraphicsVector other(held.delegate, 10, 10, 60, 1.0f);
    other.SetResourceStore(&held.store);
    if (!Fill(other)) return 1;
  }
  held.context = std::make_unique<IGraphicsVector>(held.delegate, 10, 10, 60, 1.0f);
  held.context->SetResourceStore(&held.store);
  if (!Fill(*held.context)) return 1;
  {
    IGraphicsVector later(held.delegate, 10, 10, 60, 1.0f);
    later.SetResourceStore(&held.store);
    if (!Fill(later)) return 1;
  }
  std::puts("a static context outlives the other contexts; it is destroyed at exit");
  return 0;
}
