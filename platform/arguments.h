#ifndef TARVO_PLATFORM_ARGUMENTS_H_
#define TARVO_PLATFORM_ARGUMENTS_H_

// How the platform's command line is read, one implementation per platform
// (arguments-posix.cc, arguments-win32.cc).

/// Whether an argument that begins with '/' and is longer than two characters is a
/// switch. On Windows it is, as in every Windows program; elsewhere it is a plain
/// argument, so that absolute paths such as "/home/lab/rt.ebs" work.
bool LongSlashArgumentsAreSwitches();

#endif  // TARVO_PLATFORM_ARGUMENTS_H_
