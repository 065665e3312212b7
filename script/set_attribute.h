#ifndef TARVO_SCRIPT_SET_ATTRIBUTE_H_
#define TARVO_SCRIPT_SET_ATTRIBUTE_H_

#include <string_view>

#include "script/eb_script.h"
#include "script/runs.h"

/// Gives attribute `name` the fixed value `value`: an unconditional assignment, with the
/// name as the script spells it, takes the place of the script's own, and the startup
/// prompt section that would ask for it goes, once the value has passed its checks.
/// `given` holds the attributes set before, which decide the blocks that test for them.
///
/// kNotFound, with the script unchanged, when the script neither prompts for nor assigns
/// the attribute in its main routine; kTooLong when the assignment would not fit on a
/// line; kRefused, with the line that says why, when a routine other than the main one
/// holds the attribute's prompt, the prompt's checks refuse the value or cannot be read,
/// the section cannot be removed whole, the prompt or assignment runs only in a branch, or
/// the main routine, or a routine of the script that it calls, may set the attribute again
/// after the line Tarvo writes.
EditResult SetAttribute(EBScript& script, std::string_view name, std::string_view value,
                        const AttributesBySqueezedName& given);

#endif  // TARVO_SCRIPT_SET_ATTRIBUTE_H_
