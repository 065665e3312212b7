"""End-to-end cases of the script rewriting: attributes, data file, hook calls. Each
expected *_tarvo.ebs fixture was written by hand from its input, edit by edit."""

from e2e_support import BANNER, Case, at, fixture

RT = fixture("rt.ebs")
RT_HOOKS = fixture("rt_hooks_tarvo.ebs")
RT_EXAMPLE = fixture("rt_example_tarvo.ebs")
RT_RERUN1 = fixture("rt_rerun1_tarvo.ebs")
STROOP = fixture("stroop.ebs")
SIMPLE = b"Sub Main()\r\n\tx = 1\r\nEnd Sub\r\n"

HOOKS = ["Inserted HandleFilename() call", "Inserted PreRun() call", "Inserted AtExit() call"]

CASES = [
    # The shipped example: two prompt sections in a row, the folder, the three calls.
    Case("rewrite_example", ["rt.ebs", "Subject=12", "Session=1", "-O", "C:\\data", "-N"],
         BANNER + ["Loaded 300 lines from rt.ebs",
                   "Setting attribute value: Session = 1",
                   "Setting attribute value: Subject = 12",
                   "Setting output path to C:\\data"] + HOOKS +
         ["Saved 271 lines in " + at("rt_tarvo.ebs")],
         files={"rt.ebs": RT}, outputs={"rt_tarvo.ebs": RT_EXAMPLE}),
    # Its output as input, twice: each attribute set again replaces the value written
    # before; the calls inserted before count as in place, so none is doubled.
    Case("rewrite_own_output", ["rt_tarvo.ebs", "Subject=13", "-N"],
         BANNER + ["Loaded 271 lines from rt_tarvo.ebs",
                   "Setting attribute value: Subject = 13"] + HOOKS +
         ["Saved 271 lines in " + at("rt_tarvo_tarvo.ebs")],
         files={"rt_tarvo.ebs": RT_EXAMPLE},
         outputs={"rt_tarvo_tarvo.ebs": RT_RERUN1}),
    Case("rewrite_own_output_again", ["rt_tarvo_tarvo.ebs", "Session=2", "-N"],
         BANNER + ["Loaded 271 lines from rt_tarvo_tarvo.ebs",
                   "Setting attribute value: Session = 2"] + HOOKS +
         ["Saved 271 lines in " + at("rt_tarvo_tarvo_tarvo.ebs")],
         files={"rt_tarvo_tarvo.ebs": RT_RERUN1},
         outputs={"rt_tarvo_tarvo_tarvo.ebs": fixture("rt_rerun2_tarvo.ebs")}),
    # Letter case, indentation, a comment after a label; the names as the script spells
    # them.
    Case("rewrite_prompt_sections", ["stroop.ebs", "subject=7", "SESSION=2", "-N"],
         BANNER + ["Loaded 141 lines from stroop.ebs",
                   "Setting attribute value: SESSION = 2",
                   "Setting attribute value: subject = 7"] + HOOKS +
         ["Saved 128 lines in " + at("stroop_tarvo.ebs")],
         files={"stroop.ebs": STROOP},
         outputs={"stroop_tarvo.ebs": fixture("stroop_attributes_tarvo.ebs")}),
    # Handedness's label stands between Age's label and Age's assignment: Age's section
    # ends there, so the assignment below is not its own. The other attributes are still
    # looked at, then the run ends with nothing saved.
    Case("rewrite_prompt_without_its_end", ["stroop.ebs", "Age=31", "Handedness=L", "-N"],
         BANNER + ["Loaded 141 lines from stroop.ebs",
                   "Couldn't find the end of the prompt for Age",
                   "Setting attribute value: Handedness = L"],
         exit=-1, files={"stroop.ebs": STROOP}, outputs={"stroop_tarvo.ebs": None}),
    # -F and -O together on a lower-case data file line; a default without a prompt; an
    # attribute the script lacks; a backslash in a value, doubled in the script only.
    Case("rewrite_file_and_folder",
         ["stroop.ebs", "-F", "data\\s7.txt", "-O", "C:\\lab data", "Group=a\\b", "Block=1",
          "Subject=7", "-N"],
         BANNER + ["Loaded 141 lines from stroop.ebs",
                   "Couldn't set attribute value for Block",
                   "Setting attribute value: Group = a\\b",
                   "Setting attribute value: Subject = 7",
                   "Setting output filename to data\\s7.txt",
                   "Setting output path to C:\\lab data"] + HOOKS +
         ["Saved 134 lines in " + at("stroop_tarvo.ebs")],
         files={"stroop.ebs": STROOP},
         outputs={"stroop_tarvo.ebs": fixture("stroop_file_and_folder_tarvo.ebs")}),
    # Nothing to find: every stage reports, nothing changes, the run goes on.
    Case("rewrite_nothing_found",
         ["x.ebs", "Subject=1", "-F", "a.txt", "-O", "C:\\d", "-N"],
         BANNER + ["Loaded 3 lines from x.ebs",
                   "Couldn't set attribute value for Subject",
                   "Couldn't set output filename to a.txt",
                   "Couldn't set output path to C:\\d",
                   "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": SIMPLE}, outputs={"x_tarvo.ebs": SIMPLE}),
]
