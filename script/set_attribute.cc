#include "script/eb_script.h"

bool EBScript::SetAttribute(const std::string&, const std::string&) {
  return false;
}
