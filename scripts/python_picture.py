#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Makes docs/python_uniform7.png: runs README.md's Python session (the test
python_readme runs the same) in a scratch folder and copies the picture it
saves into docs/.  Needs the built package on PYTHONPATH:

    PYTHONPATH=build/python MPLBACKEND=Agg /usr/bin/python3 scripts/python_picture.py
"""

import doctest
import os
import re
import shutil
import sys
import tempfile
from pathlib import Path

root = Path(__file__).resolve().parents[1]
readme = root / "README.md"
blocks = re.findall(r"^```python\n(.*?)^```", readme.read_text(), re.S | re.M)
test = doctest.DocTestParser().get_doctest("".join(blocks), {}, "README.md", str(readme), 0)
with tempfile.TemporaryDirectory() as scratch:
    os.chdir(scratch)
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    runner.run(test)
    if runner.failures:
        sys.exit("README.md's session no longer prints what README shows: fix that first")
    shutil.copyfile("uniform7.png", root / "docs" / "python_uniform7.png")
print(f"{root / 'docs' / 'python_uniform7.png'} made from README.md's session")
