#include "launch/launch_stage.h"

bool LaunchERun(const std::string&) {
  return true;
}
