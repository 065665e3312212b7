#ifndef TARVO_BASE_ATTRIBUTES_H_
#define TARVO_BASE_ATTRIBUTES_H_

#include <map>
#include <optional>
#include <string>

/// Attribute name, as given, to new value. std::string's ordering compares bytes as unsigned
/// values, case-sensitively, which is the order the attributes are applied in.
using AttributesByName = std::map<std::string, std::string>;

/// The attributes of the command line by their squeezed names (SqueezeText), as the script
/// compares names: with its value once Tarvo has written its assignment, with none while it
/// has not (or could not), when the script may or may not have it.
using AttributesBySqueezedName = std::map<std::string, std::optional<std::string>>;

#endif  // TARVO_BASE_ATTRIBUTES_H_
