"""Fixtures of the Python module's tests: the command line to compare with,
the sample data every clone holds, and the shared real data where present."""
import json
import os
import subprocess

import pytest


@pytest.fixture(scope="session")
def cli():
    """Runs tarnvale-cli with the given arguments; returns (status, stdout, stderr)."""
    program = os.environ.get("TARNVALE_CLI")
    if not program or not os.path.exists(program):
        pytest.skip("TARNVALE_CLI is not set to the command line program (run the tests through ctest)")

    def run(*args):
        done = subprocess.run([program, *args], capture_output=True, text=True, check=False)
        return done.returncode, done.stdout, done.stderr

    return run


@pytest.fixture(scope="session")
def cli_json(cli):
    """The command line's --json output, parsed as json.loads reads it."""

    def run(*args):
        status, out, err = cli(*args, "--json")
        assert status == 0, err
        return json.loads(out)

    return run


@pytest.fixture(scope="session")
def sample():
    """The shipped sample folder: the N51W002 tile and the zone map."""
    folder = os.environ.get("TARNVALE_SAMPLE_DIR")
    if not folder or not os.path.isdir(folder):
        pytest.skip("TARNVALE_SAMPLE_DIR is not set to data/sample (run the tests through ctest)")
    return folder


@pytest.fixture(scope="session")
def shared_climate():
    """The shared radio-climate maps, or a skip where they are absent."""
    data = os.environ.get("TARNVALE_SHARED_DATA", "")
    folder = os.path.join(data, "climate")
    if not data or not os.path.isfile(os.path.join(folder, "n0.txt")):
        pytest.skip("shared climate maps not found: set TARNVALE_SHARED_DATA")
    return folder


@pytest.fixture(scope="session", autouse=True)
def own_cache(tmp_path_factory):
    """The zone map unpacks into a cache of the test run's own."""
    os.environ["XDG_CACHE_HOME"] = str(tmp_path_factory.mktemp("cache"))
