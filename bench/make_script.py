#!/usr/bin/env python3
"""Writes a large generated-style E-Basic script for the benchmark: many object
declarations and initialisations before Sub Main(), five startup prompt sections, the
three user routines, and a long tail of further routines after the main routine."""

import sys

PROMPTED = ["Subject", "Session", "Age", "Handedness", "Group"]


def prompt_section(name):
    return [
        "StartupInfoPrompt_%s:" % name,
        '\tvAnswer = AskBox("Please enter the %s:", c.GetAttrib("%s"))' % (name, name),
        "\tIf Not IsEmpty(vAnswer) then",
        "\t\tIf Not IsNumeric(vAnswer) then",
        '\t\t\tMsgBox "Please enter an integer value"',
        "\t\t\tGoTo StartupInfoPrompt_%s" % name,
        "\t\tEnd If",
        '\t\tc.SetAttrib "%s", CStr(vAnswer)' % name,
        "\tElse",
        "\t\tGoTo ExperimentAbort",
        "\tEnd If",
        "",
    ]


def script(total_lines):
    objects = max(1, total_lines // 20)
    head = ["'" + "=" * 70, "' generated benchmark script", "'" + "=" * 70, "",
            "Option CStrings On", "Dim ebContext as Context", ""]
    for i in range(objects):
        head.append("Dim Stimulus%d As TextDisplay" % i)
    head += ["", "Function HandleFilename(c as Context) as String",
             "\tHandleFilename = c.DataFile.Filename", "End Function", "",
             "Function PreRun(strTxtFile as string) as boolean", "\tPreRun = True",
             "End Function", "", "Sub AtExit(strTxtFile as string)", "End Sub", "",
             "Sub InitObjects(c As Context)"]
    for i in range(objects):
        head += ["\tSet Stimulus%d = New TextDisplay" % i,
                 '\tStimulus%d.Name = "Stimulus%d"' % (i, i),
                 '\tStimulus%d.Text = "word number %d"' % (i, i),
                 '\tStimulus%d.Duration = CLng("%d")' % (i, 500 + i % 1000),
                 "\tInitTextDisplayDefaults Stimulus%d" % i, ""]
    head += ["End Sub", ""]

    main = ["Sub Main()", "", "\tDim c As Context", "\tSet c = New Context",
            "\tSet c.DataFile = New DataFile", "\tc.PushNewFrame", "\tSet ebContext = c", ""]
    for name in PROMPTED:
        main.append('\tIf Not c.AttribExists("%s") Then c.SetAttrib "%s", "1"' % (name, name))
    main += ["", "\tDim vAnswer As Variant"]
    for name in PROMPTED:
        main += prompt_section(name)
    main += ['\tc.DataFile.Filename = CStr(c.GetAttrib("Experiment")) & "-" & '
             'CStr(c.GetAttrib("Subject")) & ".txt"',
             "\tc.DataFile.Open c", "\tInitDevices c", "\tInitObjects c", "",
             "\tSessionProc.Run c", "", "ExperimentFinish:", "\tc.PopFrame", "",
             "ExperimentAbort:", "End Sub", ""]

    tail = []
    routine = 0
    while len(head) + len(main) + len(tail) < total_lines:
        tail += ["Sub Trial%d_Run(c as Context)" % routine,
                 '\tStimulus%d.Text = c.GetAttrib("Word")' % (routine % objects),
                 "\tStimulus%d.Run" % (routine % objects),
                 '\tc.SetAttrib "Stimulus.RT", Stimulus%d.RT' % (routine % objects),
                 "\tc.Log", "End Sub", ""]
        routine += 1
    return head + main + tail


def write_script(total_lines, path):
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in script(total_lines)).encode("ascii"))


if __name__ == "__main__":
    write_script(int(sys.argv[1]), sys.argv[2])
