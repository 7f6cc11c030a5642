"""The pytest plug-in as a station uses it: a test file of its own, run by
pytest in a process of its own against the simulated reader."""

import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET

from conftest import PYTHON_DIR

STATION_TESTS = '''
def test_select(reader):
    assert reader.send("00A4040000", expect="9000", timeout=3000).ok

def test_wrong_reply(reader):
    assert reader.send("00B0", expect="9000", timeout=3000).ok

def test_three_reads(reader):
    row = reader.send("00B0", loop=3, timeout=3000)
    assert (row.transactions, row.last_reply, row.result.ok) == (3, bytes.fromhex("6A82"), True)
'''


def pytest_run(folder, *args, python_path=PYTHON_DIR, autoload=False):
    """pytest over the station's tests in `folder`; its exit code and output."""
    (folder / "test_station.py").write_text(STATION_TESTS)
    env = {**os.environ, "PYTHONPATH": str(python_path), "PYTHONDONTWRITEBYTECODE": "1"}
    env.pop("PYTEST_ADDOPTS", None)
    env.pop("PYTEST_DISABLE_PLUGIN_AUTOLOAD", None)
    plugin = []
    if not autoload:
        env["PYTEST_DISABLE_PLUGIN_AUTOLOAD"] = "1"
        plugin = ["-p", "quillard.pytest_plugin"]
    run = subprocess.run([sys.executable, "-m", "pytest", "-p", "no:cacheprovider", *plugin,
                          f"--rootdir={folder}", "-rs", *args],
                         cwd=folder, env=env, capture_output=True, text=True, timeout=120)
    return run.returncode, run.stdout + run.stderr


def reader_options(sim_reader):
    return ["--quillard-port", sim_reader.port, "--quillard-folder", str(sim_reader.folder),
            "--quillard-plugin", sim_reader.plugin, "--quillard-program", sim_reader.program]


def test_station_tests_pass_and_fail_with_the_reader_and_junit_tells_which(
        sim_reader, tmp_path):
    report = tmp_path / "report.xml"
    code, output = pytest_run(tmp_path, *reader_options(sim_reader), f"--junitxml={report}")
    assert code == 1, output
    assert "1 failed, 2 passed" in output, output
    cases = {case.get("name"): case for case in ET.parse(report).iter("testcase")}
    assert {name: case.find("failure") is not None for name, case in cases.items()} == {
        "test_select": False, "test_wrong_reply": True, "test_three_reads": False}
    properties = {name: [(p.get("name"), p.get("value")) for p in case.iter("property")]
                  for name, case in cases.items()}
    assert properties["test_select"] == [("quillard", "00A4040000@3000=>9000: SUCCESS 1")]
    assert properties["test_wrong_reply"] == [("quillard", "00B0@3000=>9000: MISMATCH 1")]
    assert "RowResult('00B0@3000=>9000': MISMATCH 1, last reply 6A 82" in output, output


def test_without_a_port_the_reader_tests_are_skipped_and_say_why(tmp_path):
    code, output = pytest_run(tmp_path)
    assert code == 0, output
    assert "3 skipped" in output and "give pytest --quillard-port" in output, output


def test_installed_beside_its_dist_info_pytest_loads_it_by_itself(sim_reader, tmp_path):
    site = tmp_path / "dist-packages"
    shutil.copytree(PYTHON_DIR / "quillard", site / "quillard")
    shutil.copytree(PYTHON_DIR / "quillard-0.1.dist-info", site / "quillard-0.1.dist-info")
    station = tmp_path / "station"
    station.mkdir()
    code, output = pytest_run(station, *reader_options(sim_reader), "-k", "select",
                              python_path=site, autoload=True)
    assert code == 0, output
    assert "1 passed" in output, output
