#include "host/ParamOptions.h"

#include "vst2/VstInterface.h"

namespace ombrisk::host {

bool ApplyParameters(PluginInstance& plugin, const Args& args, std::string& error) {
  for (const Args::Option& option : args.InOrder({"param", "param-norm"})) {
    const bool normalised = option.name == "param-norm";
    const std::string& assignment = option.value;
    const auto eq = assignment.find('=');
    if (eq == std::string::npos) {
      error = "parameter setting needs NAME_OR_INDEX=VALUE: " + assignment;
      return false;
    }
    const std::string name = assignment.substr(0, eq);
    std::string value = assignment.substr(eq + 1);
    const std::int32_t index = plugin.FindParameter(name);
    if (index < 0) {
      error = "no parameter named or numbered \"" + name + "\" (see ombrisk-host info)";
      return false;
    }
    if (normalised) {
      double v = 0.0;
      if (!ParseDouble(value, v) || v < 0.0 || v > 1.0) {
        error = "normalised value for \"" + name + "\" must be a number from 0 to 1: " + value;
        return false;
      }
      plugin.SetParameter(index, static_cast<float>(v));
      continue;
    }
    if (plugin.Dispatch(vst2::effString2Parameter, index, 0, value.data()) == 0) {
      error = "the plug-in does not accept the text \"" + value + "\" for \"" + plugin.ParamName(index) +
              "\" (try --param-norm with a value from 0 to 1)";
      return false;
    }
  }
  return true;
}

}  // namespace ombrisk::host
