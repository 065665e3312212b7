#ifndef TARVO_PLATFORM_SYSTEM_H_
#define TARVO_PLATFORM_SYSTEM_H_

#include <string>

// Who runs the program, and where: one implementation per platform (system-posix.cc,
// system-win32.cc).

/// The computer's name, as other computers on the network know it; "" when there is none.
std::string ComputerName();

/// The name of the user running the program; "" when there is none.
std::string UserName();

/// A number that differs between processes running at once on one computer.
unsigned ProcessNumber();

#endif  // TARVO_PLATFORM_SYSTEM_H_
