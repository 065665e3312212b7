#include "platform/system.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::string ComputerName() {
  // A stand-in for development and tests: two stations on one machine.
  const char* standIn = std::getenv("TARVO_COMPUTER_NAME");
  if (standIn != nullptr && *standIn != '\0')
    return standIn;
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0)
    return std::string();
  return name;
}

std::string UserName() {
  for (const char* variable : {"USER", "LOGNAME"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0')
      return value;
  }
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_name != nullptr ? entry->pw_name : "";
}

unsigned ProcessNumber() {
  return static_cast<unsigned>(getpid());
}
