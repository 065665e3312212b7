#include "script/eb_script.h"

bool EBScript::SetDataFileName(const std::string&) {
  return false;
}

bool EBScript::SetDataFilePath(const std::string&) {
  return false;
}
