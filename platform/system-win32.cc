#include "platform/system.h"

#include <windows.h>

std::string ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size))
    return std::string();
  return std::string(name, size);
}

std::string UserName() {
  char name[257];  // UNLEN + 1: the longest user name and its NUL
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size) || size == 0)
    return std::string();
  return std::string(name, size - 1);  // the size counts the NUL
}

unsigned ProcessNumber() {
  return static_cast<unsigned>(GetCurrentProcessId());
}
