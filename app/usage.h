#ifndef TARVO_APP_USAGE_H_
#define TARVO_APP_USAGE_H_

/// Writes the usage screen: the command line and the three optional user routines.
void PrintUsage();

#endif  // TARVO_APP_USAGE_H_
