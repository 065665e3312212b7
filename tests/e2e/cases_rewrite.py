"""End-to-end cases of the script rewriting: attributes, data file, hook calls."""

from e2e_support import BANNER, USAGE, Case, at, fixture  # noqa: F401

CASES = []
