"""End-to-end case of a script that is no text to load: the UTF-16 scripts of E-Prime 2
and later, which the script's layer words as such."""

from e2e_support import BANNER, Case

NOT_TEXT = ": not an E-Basic text script (scripts of E-Prime 2 and later cannot be rewritten)"

CASES = [
    Case("utf16_script", ["x.ebs", "-N"], BANNER + ["Couldn't load x.ebs" + NOT_TEXT], exit=-1,
         files={"x.ebs": "\ufeff<?xml version=\"1.0\"?>\r\n".encode("utf-16-le")},
         outputs={"x_tarvo.ebs": None}),
]
