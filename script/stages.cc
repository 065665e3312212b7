#include "script/stages.h"

#include "platform/console.h"

void AttributeStage(EBScript&, const std::string&, const std::string&) {}

void DataFileNameStage(EBScript&, const std::string&) {}

void DataFolderStage(EBScript&, const std::string&) {}

void HandleFilenameHookStage(EBScript&) {}

void PreRunHookStage(EBScript&) {}

void AtExitHookStage(EBScript&) {}
