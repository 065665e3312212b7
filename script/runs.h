#ifndef TARVO_SCRIPT_RUNS_H_
#define TARVO_SCRIPT_RUNS_H_

#include "base/attributes.h"
#include "script/statements.h"

enum class Runs { kYes, kNo, kUnknown };

/// Whether statement `index` of the main routine runs, by the blocks around it. Only these
/// conditions are judged: whether an attribute exists, "[Not] c.AttribExists("<name>")",
/// which an attribute given or set for sure earlier does; and "[Not] <variable>" where the
/// routine sets the variable to a plain True or False earlier and nowhere else, as the
/// newer generator does with bStartupInfoUseDefaults. Any other condition, a Select Case
/// and a loop may or may not run their statements.
Runs WhetherRuns(const MainRoutine& routine, size_t index, const AttributesBySqueezedName& given);

#endif  // TARVO_SCRIPT_RUNS_H_
