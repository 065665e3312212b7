#ifndef TARVO_SCRIPT_SET_ATTRIBUTE_H_
#define TARVO_SCRIPT_SET_ATTRIBUTE_H_

#include <string_view>

#include "script/eb_script.h"

/// Gives attribute `name` the fixed value `value`: an unconditional assignment, with the
/// name as the script spells it, takes the place of the script's own, and the startup
/// prompt section that would ask for it goes. kNotFound, with the script unchanged, when
/// the script neither prompts for nor assigns the attribute after "Sub Main()", or its
/// prompt section has no assignment of its own; kTooLong when the assignment would not fit
/// on a line.
EditOutcome SetAttribute(EBScript& script, std::string_view name, std::string_view value);

#endif  // TARVO_SCRIPT_SET_ATTRIBUTE_H_
