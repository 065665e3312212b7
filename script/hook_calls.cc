#include "script/eb_script.h"

bool EBScript::InsertHandleFilenameCall() {
  return false;
}

bool EBScript::InsertPreRunCall() {
  return false;
}

bool EBScript::InsertAtExitCall() {
  return false;
}
