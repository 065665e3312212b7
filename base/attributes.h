#ifndef TARVO_BASE_ATTRIBUTES_H_
#define TARVO_BASE_ATTRIBUTES_H_

#include <map>
#include <string>

/// Attribute name, as given, to new value. std::string's ordering compares bytes as unsigned
/// values, case-sensitively, which is the order the attributes are applied in.
using AttributesByName = std::map<std::string, std::string>;

/// The attributes whose assignment Tarvo wrote, by their squeezed names (SqueezeText), as
/// the script compares names, with their values.
using AttributesBySqueezedName = std::map<std::string, std::string>;

#endif  // TARVO_BASE_ATTRIBUTES_H_
