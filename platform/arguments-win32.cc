#include "platform/arguments.h"

bool LongSlashArgumentsAreSwitches() {
  return true;
}
