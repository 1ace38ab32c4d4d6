// What `ombrisk-host edit` is asked to do, from its command line and, with
// --stdin, from the command lines a test script writes to it while the
// editors are open. Parsing only: the window code acts on the result.
#pragma once

#include <cstdint>
#include <string>

#include "host/Args.h"

namespace ombrisk::host {

struct EditOptions {
  int instances = 1;        // --instances N: editors open side by side, one window each
  long long afterMs = -1;   // --after-ms N: screenshot (if asked) and quit after N ms; -1 runs until closed
  std::string screenshot;   // --screenshot FILE.png: the first window's picture at --after-ms
  int cycles = 0;           // --cycles N: open and close the first editor N times, count, quit
  bool commands = false;    // --stdin: take EditCommand lines from standard input
};

// Needs exactly one PLUGIN in `args.positional`. False and a one-line reason
// for anything out of range.
bool ParseEditOptions(const Args& args, EditOptions& options, std::string& error);

// One line of --stdin input. `instance` is 0 unless the line names one.
struct EditCommand {
  enum class Kind { Open, Close, Where, Count, Cycles, Screenshot, Frames, Quit };
  // What the host does before each idle call of a frames run: nothing (the
  // baseline), expose the editor's whole window (a full repaint), or set one
  // parameter to the other of two values (one control redraws).
  enum class FrameMode { Idle, ExposeAll, Knob };
  Kind kind = Kind::Quit;
  int instance = 0;
  int count = 0;     // cycles; frames: idle calls
  std::string file;  // screenshot
  FrameMode frameMode = FrameMode::Idle;
  int param = 0;     // frames knob: the parameter's index
};

// Lines: "open [I]", "close [I]", "where [I]", "count", "cycles N [I]",
// "screenshot FILE [I]", "frames MODE N [I]" (MODE: idle, expose, knob or
// knob:P; knob turns parameter 0, knob:P parameter P), "quit". False and a
// reason otherwise; an instance number is checked against `instances`, a
// parameter index only against kMaxFrameParam (the plug-in checks the rest).
inline constexpr int kMaxFrameParam = 9999;
bool ParseEditCommand(const std::string& line, int instances, EditCommand& command, std::string& error);

}  // namespace ombrisk::host
