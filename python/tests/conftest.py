"""What the wrapper's tests run against: the built quillard-run, the simulated
reader as COM200 of a program folder of the tests' own, and the pass-through
plug-in Corvane.

CTest names the three programs in QUILLARD_RUN, QUILLARD_SIM_READER and
QUILLARD_TEST_PLUGIN; a run by hand without them takes those of build/."""

import os
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

import pytest

PYTHON_DIR = Path(__file__).resolve().parent.parent
BUILD_DIR = PYTHON_DIR.parent / "build"
sys.path.insert(0, str(PYTHON_DIR))

# A3 is never answered, 00 B0 gets 6A 82, every other request 90 00.
READER_TABLE = "A3 => none\n00 B0 => 6A 82\n* => 90 00\n"


def built(variable: str, default: Path) -> str:
    """The program a variable names (which must exist), else the build's, else
    the test is skipped."""
    named = os.environ.get(variable)
    if named:
        assert os.path.exists(named), f"{variable}={named} does not exist"
        return named
    if not default.exists():
        pytest.skip(f"no {default.name}: set {variable} or build in {BUILD_DIR}")
    return str(default)


@dataclass
class SimReader:
    """The simulated reader's program folder and port, and the options that
    make quillard-run use them."""

    folder: Path
    port: str
    plugin: str
    program: str

    def options(self):
        """run()'s keywords for a run against this reader."""
        # rows without their own time-out wait up to 3 s for the reply, so that
        # a loaded machine holding the reader back a moment does not count NO DATA
        return {"folder": str(self.folder), "plugin": self.plugin, "program": self.program,
                "timeout": 3000}


@pytest.fixture(scope="session")
def runner_program():
    """The quillard-run under test."""
    return built("QUILLARD_RUN", BUILD_DIR / "quillard-run")


@pytest.fixture(scope="session")
def sim_reader(tmp_path_factory, runner_program):
    """The simulated reader as COM200 of a program folder, answering from
    READER_TABLE, for the whole session."""
    program = built("QUILLARD_SIM_READER", BUILD_DIR / "quillard-sim-reader")
    plugin = built("QUILLARD_TEST_PLUGIN", BUILD_DIR / "Protocols" / "Corvane.so")
    folder = tmp_path_factory.mktemp("program folder")
    (folder / "reader.table").write_text(READER_TABLE)
    log = folder / "reader.log"
    with open(log, "wb") as out:
        process = subprocess.Popen(
            [program, "--com", "200", "--links", str(folder / "ComPorts"), "--quiet", "1",
             "--table", str(folder / "reader.table")],
            stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 10
    while b"\n" not in log.read_bytes() and process.poll() is None \
            and time.monotonic() < deadline:
        time.sleep(0.02)
    first_line = log.read_text(errors="replace").partition("\n")[0]
    if not first_line.startswith("Simulated reader on COM200"):
        process.kill()
        process.wait()
        pytest.fail(f"the simulated reader did not start: {first_line!r}")
    yield SimReader(folder, "COM200", plugin, runner_program)
    process.send_signal(signal.SIGINT)
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
