#include "app/usage.h"

#include "platform/console.h"

namespace {

// One line of the screen per line here.
// clang-format off
const char* const kUsage[] = {
    "",
    "usage: Tarvo.exe <script.ebs> [attribute1=value1] [...] ",
    "                [[-O path]|[-F filename]] [-N]",
    "",
    "where:",
    "  <attribute>   is the name of the parameter whose value is ",
    "                to be changed (i.e. Subject)",
    "  <value>       is the new value for the attribute (i.e. 9999)",
    "  -O <path>     is the location (i.e. folder) for the data files (optional)",
    "  -F <filename> is the relative or absolute filepath for the raw ",
    "                data file. (optional)",
    "  -N            is a switch to prevent starting E-Run after the",
    "                script translation",
    "example:",
    "tarvo c:\\myprime\\rttest.ebs subject=999 session=2 /F c:\\temp\\999_2.asc",
    "",
    "This new version also supports including some extra functionality",
    "in the converted script by inserting function or subroutine call's",
    "at specific places when one or more of the following user defined ",
    "function's or sub are defined: (in View->Script->User code)",
    "",
    " Function HandleFilename(c as Context) as String",
    " Function PreRun(strTxtFile as string) as boolean",
    " Sub AtExit(strTxtFile as string)",
    "",
    "examples:",
    "",
    " '''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''",
    " ' Subroutine which should be called to check (or modify) the output filename",
    " ' this example creates a filename with a specific path",
    " Function HandleFilename(c as Context) as String",
    "    dim sExp as String",
    "    dim sSubj as String",
    "    dim sSession as String",
    "    sExp = CStr(c.GetAttrib(\"Experiment\"))",
    "    sSubj = CStr(c.GetAttrib(\"Subject\"))",
    "    sSession = CStr(c.GetAttrib(\"Session\"))",
    "    HandleFilename = \"C:\\\\MyData\\\\\" & sExp  & \"-\" & sSubj & \"-\" & sSession & \".txt\"",
    " End Function",
    "",
    " '''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''",
    " ' Subroutine which will be called just before starting the test",
    " ' this example runs a batch file",
    " Function PreRun(strTxtFile as string) as boolean",
    "    dim id as long",
    "    id = Shell(\"prerun.bat \"\"\" & strTxtFile & \"\"\"\", ebHide )",
    "    PreRun = true",
    " End Function",
    "",
    " '''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''''",
    " ' Subroutine which will be called just before termination",
    " ' this example runs a batch file",
    " Sub AtExit(strTxtFile as string)",
    "    dim id as long",
    "    id = Shell(\"postrun.bat \"\"\" & strTxtFile & \"\"\"\", ebHide )",
    " End sub",
    "",
    "Tarvo is written by the Tarvo developers; report problems to them in the project's issue tracker",
    "Tarvo's home is its source repository, where the README tells how to build and use it",
    // Switches added since; the lines above stay as batch files and users know them.
    "",
    "  -O and -F     can be given together: the data file then gets the -F name",
    "                inside the -O folder",
    "  -Y            is a switch to answer the script's \"Summary of Startup Info\"",
    "                question with Yes, so that the experiment starts unattended",
    "  -D            is a switch to end with exit code 0 only when the participant's",
    "                data were saved: the data file is checked before and after E-Run",
    "  -L <journal>  is a CSV file that records every run, for all stations; the",
    "                variable TARVO_JOURNAL names it when -L is not given",
    "  -R <journal>  makes a report of the journal instead of a run: a page of the",
    "                same name ending in .html, a grid of participants and sessions",
    "  -B <name>=<value>,<value>,...  balances the attribute over the journal's",
    "                participants: it gets the listed value with the fewest so far",
    "  -A            is a switch to set an aborted session's data file aside, as",
    "                <stem>.aborted-<n><ext>, so that the session can be run again",
    "  <name>=next   takes the attribute's next number from the journal: the next",
    "                Subject, or the lowest Session not yet saved for the Subject",
    "  <name>=same   takes the attribute's value in this computer's latest run in",
    "                the journal, for the next task of one participant's battery",
};
// clang-format on

}  // namespace

void PrintUsage() {
  for (const char* line : kUsage)
    PrintLine(line);
}
