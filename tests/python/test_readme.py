# SPDX-License-Identifier: Apache-2.0
"""README.md's Python session prints what README shows, line for line."""

import doctest
import re
from pathlib import Path

README = Path(__file__).resolve().parents[2] / "README.md"


def session():
    """The ```python blocks of README.md as one doctest."""
    blocks = re.findall(r"^```python\n(.*?)^```", README.read_text(), re.S | re.M)
    return doctest.DocTestParser().get_doctest("".join(blocks), {}, "README.md", str(README), 0)


def test_the_readme_session_prints_what_readme_shows(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)  # the session saves a picture
    test = session()
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    runner.run(test)
    assert runner.failures == 0
    assert runner.tries >= 15
    assert (tmp_path / "uniform7.png").stat().st_size > 10000
