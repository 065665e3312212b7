#ifndef TARVO_LAUNCH_ERUN_COMMAND_LINE_H_
#define TARVO_LAUNCH_ERUN_COMMAND_LINE_H_

#include <optional>
#include <string>

/// The E-Run command line for `outputScriptPath` made from the registered open command
/// of .ebs files: everything before its first "\"%1\"", quoted unless it already begins
/// with a quote (trailing blanks stay inside), then " /a \"", the path and a quote.
/// Nothing after the placeholder survives. nullopt when the command holds no quoted %1.
std::optional<std::string> BuildERunCommandLine(const std::string& registeredCommand,
                                                const std::string& outputScriptPath);

#endif  // TARVO_LAUNCH_ERUN_COMMAND_LINE_H_
