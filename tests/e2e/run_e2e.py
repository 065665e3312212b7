import sys
if '--list' in sys.argv: sys.exit(0)
