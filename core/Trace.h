#pragma once
// One trace hook for the whole framework. Operations report what they do with
// their qualified name, a line number and a printf-style format. Nothing is
// written by default; a sink can be installed (tests do, to check the texts).
// With no sink installed a trace costs one relaxed atomic load.

#include <atomic>

namespace fx {

// The sink receives the qualified name, the line, the format as written and
// the formatted text (cut to 1023 characters).
using TraceSink = void (*)(void* context, const char* qualifiedName, int line, const char* format,
                           const char* text);

// Installs a sink for the whole process; nullptr removes it.
void SetTraceSink(TraceSink sink, void* context);

bool TraceEnabled();

#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void TraceLine(const char* qualifiedName, int line, const char* format, ...);

}  // namespace fx

// Evaluates the arguments only when a sink is installed.
#define FX_TRACE(qualifiedName, ...)                            \
  do {                                                          \
    if (::fx::TraceEnabled())                                   \
      ::fx::TraceLine((qualifiedName), __LINE__, __VA_ARGS__);  \
  } while (0)
