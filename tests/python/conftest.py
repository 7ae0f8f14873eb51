# SPDX-License-Identifier: Apache-2.0
"""The fixture of the Python suites: vendrill-cli, whose path comes from
ctest in VENDRILL_CLI."""

import os
import subprocess

import pytest


@pytest.fixture(scope="session")
def cli():
    """Runs vendrill-cli with the arguments; returns the CompletedProcess."""
    path = os.environ.get("VENDRILL_CLI")
    if not path:
        pytest.fail("VENDRILL_CLI is not set: run the Python suites through ctest")

    def run(arguments, cwd=None):
        return subprocess.run([path, *arguments], capture_output=True, text=True, cwd=cwd)

    return run
