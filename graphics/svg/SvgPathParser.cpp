#include "graphics/svg/SvgPathParser.h"

#include "graphics/svg/SvgNumber.h"

namespace fx::igraphics::svg {
namespace {

int ArgumentCount(char command) {
  switch (command) {
    case 'M': case 'm': case 'L': case 'l': case 'T': case 't': return 2;
    case 'H': case 'h': case 'V': case 'v': return 1;
    case 'C': case 'c': return 6;
    case 'S': case 's': case 'Q': case 'q': return 4;
    case 'A': case 'a': return 7;
    case 'Z': case 'z': return 0;
    default: return -1;
  }
}

bool ScanFlag(std::string_view text, std::size_t& pos, double& out) {
  if (pos >= text.size() || (text[pos] != '0' && text[pos] != '1')) return false;
  out = text[pos++] == '1' ? 1.0 : 0.0;
  return true;
}

bool ReadArguments(std::string_view text, std::size_t& pos, char command, double* args, int count) {
  for (int i = 0; i < count; ++i) {
    const bool flag = (command == 'A' || command == 'a') && (i == 3 || i == 4);
    if (!(flag ? ScanFlag(text, pos, args[i]) : ScanNumber(text, pos, args[i]))) return false;
    SkipCommaSpace(text, pos);
  }
  return true;
}

}  // namespace

bool ParsePathData(std::string_view text, SvgPathBuilder& out) {
  std::size_t pos = 0;
  char command = 0;
  // The last command drawn, upper case, and its final control point, for S and T.
  char previous = 0;
  double controlX = 0.0, controlY = 0.0;
  SkipSpace(text, pos);
  while (pos < text.size()) {
    if (out.Full()) return false;
    const char c = text[pos];
    const int letterArgs = ArgumentCount(c);
    if (letterArgs >= 0) {
      if (command == 0 && c != 'M' && c != 'm') return false;
      command = c;
      ++pos;
      SkipSpace(text, pos);
      if (letterArgs == 0) {
        out.Close();
        previous = 'Z';
        continue;
      }
    } else if (command == 0 || command == 'Z' || command == 'z') {
      return false;  // numbers need a command that takes them
    } else if (command == 'M') {
      command = 'L';
    } else if (command == 'm') {
      command = 'l';
    }
    double a[7] = {};
    if (!ReadArguments(text, pos, command, a, ArgumentCount(command))) return false;
    const bool relative = command >= 'a' && command <= 'z';
    const double ox = relative ? out.X() : 0.0, oy = relative ? out.Y() : 0.0;
    const char upper = relative ? static_cast<char>(command - 'a' + 'A') : command;
    switch (upper) {
      case 'M':
        out.MoveTo(ox + a[0], oy + a[1]);
        break;
      case 'L':
        out.LineTo(ox + a[0], oy + a[1]);
        break;
      case 'H':
        out.LineTo(ox + a[0], out.Y());
        break;
      case 'V':
        out.LineTo(out.X(), oy + a[0]);
        break;
      case 'C':
        controlX = ox + a[2];
        controlY = oy + a[3];
        out.CubicTo(ox + a[0], oy + a[1], controlX, controlY, ox + a[4], oy + a[5]);
        break;
      case 'S': {
        const bool reflect = previous == 'C' || previous == 'S';
        const double x1 = reflect ? 2.0 * out.X() - controlX : out.X();
        const double y1 = reflect ? 2.0 * out.Y() - controlY : out.Y();
        controlX = ox + a[0];
        controlY = oy + a[1];
        out.CubicTo(x1, y1, controlX, controlY, ox + a[2], oy + a[3]);
        break;
      }
      case 'Q':
        controlX = ox + a[0];
        controlY = oy + a[1];
        out.QuadTo(controlX, controlY, ox + a[2], oy + a[3]);
        break;
      case 'T': {
        const bool reflect = previous == 'Q' || previous == 'T';
        controlX = reflect ? 2.0 * out.X() - controlX : out.X();
        controlY = reflect ? 2.0 * out.Y() - controlY : out.Y();
        out.QuadTo(controlX, controlY, ox + a[0], oy + a[1]);
        break;
      }
      case 'A':
        out.ArcTo(a[0], a[1], a[2], a[3] != 0.0, a[4] != 0.0, ox + a[5], oy + a[6]);
        break;
      default:
        return false;
    }
    previous = upper;
  }
  return !out.Full();
}

}  // namespace fx::igraphics::svg
