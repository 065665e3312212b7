#include <string>
#include <vector>

#include "app/run_sequence.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  const SlashSwitches slashSwitches = SlashSwitches::kAll;
#else
  const SlashSwitches slashSwitches = SlashSwitches::kTwoCharactersOnly;
#endif
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return RunTarvo(arguments, slashSwitches);
}
