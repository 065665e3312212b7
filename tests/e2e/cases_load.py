"""End-to-end cases of what a script must be to load: text after a 0x1A byte, and the
UTF-16 scripts of E-Prime 2 and later."""

from e2e_support import BANNER, Case, at

NOT_TEXT = ": not an E-Basic text script (scripts of E-Prime 2 and later cannot be rewritten)"

CASES = [
    Case("end_of_text_then_line_ends", ["x.ebs", "-N"],
         BANNER + ["Loaded 2 lines from x.ebs", "Saved 2 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": b"Sub Main()\r\n\tx = 1\x1A\r\n\x1A\r\n"},
         outputs={"x_tarvo.ebs": b"Sub Main()\r\n\tx = 1\r\n"}),
    Case("end_of_text_then_text", ["x.ebs", "-N"],
         BANNER + ["Couldn't load line 2 from x.ebs"], exit=-1,
         files={"x.ebs": b"Sub Main()\r\n\tx = 1\x1A\r\nEnd Sub\r\n"},
         outputs={"x_tarvo.ebs": None}),
    Case("utf16_script", ["x.ebs", "-N"], BANNER + ["Couldn't load x.ebs" + NOT_TEXT], exit=-1,
         files={"x.ebs": "\ufeff<?xml version=\"1.0\"?>\r\n".encode("utf-16-le")},
         outputs={"x_tarvo.ebs": None}),
]
