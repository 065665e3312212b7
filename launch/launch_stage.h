#ifndef TARVO_LAUNCH_LAUNCH_STAGE_H_
#define TARVO_LAUNCH_LAUNCH_STAGE_H_

#include <string>

/// Stage 10: starts E-Run on the rewritten script through the registered open command
/// of .ebs files and waits for it to end, printing each step. False when the registry
/// gave no usable E-Run command (the run then fails); true once a start was tried.
bool LaunchERun(const std::string& outputScriptPath);

#endif  // TARVO_LAUNCH_LAUNCH_STAGE_H_
