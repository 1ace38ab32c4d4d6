#pragma once
// The effect's editor page: the function that builds its graphics context
// and the layout function that fills it with controls. The page is
// 1630 x 1010 layout units of fixed artwork, opened at draw scale 0.5 and
// redrawn at up to 60 frames per second.

#include <cstdint>
#include <memory>
#include <string>

#include "core/IGEditorDelegate.h"
#include "core/IGraphicsContext.h"

namespace ombrisk {

inline constexpr std::int32_t kEditorWidth = 1630;
inline constexpr std::int32_t kEditorHeight = 1010;
inline constexpr std::int32_t kEditorFps = 60;
inline constexpr float kEditorInitialScale = 0.5f;

// The architecture this module was built for, as the version label names it.
const char* ArchitectureWord();

// "v<major>.<minor>.<bugfix> <architecture> <api>" from a packed version
// (major in bits 16 and up, minor 8-15, bug-fix 0-7); at most 100 characters.
std::string MakeVersionLabel(std::int32_t packedVersion, const char* apiName);

// The editor's graphics context for `delegate`, with the module instance for
// resource lookup; ownership passes to the caller (the delegate). Null where
// the platform has no editor window yet (Linux).
std::unique_ptr<fx::IGraphicsContext> CreateEditorGraphics(fx::IGEditorDelegate& delegate);

// Fills an empty context with the page's controls; a context that already
// holds controls (a re-run after a resize) is left as it is, as is one that
// is not a graphics-core context.
void LayoutEditor(fx::IGraphicsContext& graphics);

}  // namespace ombrisk
