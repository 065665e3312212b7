"""End-to-end cases of the E-Run launch."""

from e2e_support import BANNER, USAGE, Case, at, fixture  # noqa: F401

CASES = []
