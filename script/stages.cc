#include "script/stages.h"

#include "platform/console.h"

void AttributeStage(EBScript& script, const std::string& name, const std::string& value) {
  if (script.SetAttribute(name, value))
    PrintLine("Setting attribute value: " + name + " = " + value);
  else
    PrintLine("Couldn't set attribute value for " + name);
}

void DataFileNameStage(EBScript& script, const std::string& dataFileName) {
  if (script.SetDataFileName(dataFileName))
    PrintLine("Setting output filename to " + dataFileName);
  else
    PrintLine("Couldn't set output filename to " + dataFileName);
}

void DataFolderStage(EBScript& script, const std::string& dataFolder) {
  if (script.SetDataFilePath(dataFolder))
    PrintLine("Setting output path to " + dataFolder);
  else
    PrintLine("Couldn't set output path to " + dataFolder);
}

// A hook stage is silent when the script does not define the routine.
void HandleFilenameHookStage(EBScript& script) {
  if (script.InsertHandleFilenameCall())
    PrintLine("Inserted HandleFilename() call");
}

void PreRunHookStage(EBScript& script) {
  if (script.InsertPreRunCall())
    PrintLine("Inserted PreRun() call");
}

void AtExitHookStage(EBScript& script) {
  if (script.InsertAtExitCall())
    PrintLine("Inserted AtExit() call");
}
