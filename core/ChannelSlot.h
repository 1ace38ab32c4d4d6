#pragma once
// The frame's bookkeeping for one input or output channel.

#include <string>
#include <vector>

namespace fx {

struct ChannelSlot {
  bool connected = false;
  double** published = nullptr;         // entry of the frame's block pointers for this channel
  float* hostFloatBuffer = nullptr;     // output channels of the float paths
  std::vector<double> scratch;          // the channel's own buffer, blockSize samples
  std::string label;                    // optional channel name shown to the host
};

}  // namespace fx
