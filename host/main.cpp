#include <string>
#include <vector>

#include "host/Commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  return ombrisk::host::RunCommandLine(words);
}
