"""quillard.run() against the built quillard-run and the simulated reader
(conftest.py): expected replies that match and that do not, and the errors a
user meets first."""

import pytest

import quillard
from quillard import OpenError, ProgramNotFound, Row, UsageError


@pytest.mark.parametrize("row, outcome, last_reply", [
    ("00A4040000=>9000", "SUCCESS", b"\x90\x00"),
    (Row("00B0", expect=b"\x6a\x82"), "SUCCESS", b"\x6a\x82"),
    ("00B0=>9000", "MISMATCH", b"\x6a\x82"),
    ("A3@40=>9000", "NO DATA", None),
])
def test_each_row_counts_its_outcome(sim_reader, row, outcome, last_reply):
    result = quillard.run(sim_reader.port, [row], loop=2, **sim_reader.options())
    assert result.exit_code == (0 if outcome == "SUCCESS" else 1), result.stderr
    assert (result.transactions, result.outcomes[outcome]) == (2, 2)
    [port] = result.ports
    assert (port.port, port.opened, port.error) == ("COM200", True, None)
    [only] = result.rows
    assert (only.transactions, only.outcomes[outcome], only.ok) == (2, 2, result.ok)
    assert only.failures == (0 if outcome == "SUCCESS" else 2)
    assert only.mismatches == (2 if outcome == "MISMATCH" else 0)
    assert only.last_reply == last_reply
    if outcome == "SUCCESS":
        assert only.first_failure is None and only.round_trip.timed == 2
    else:
        assert only.first_failure["outcome"] == outcome


@pytest.mark.parametrize("port, row, error, code, message", [
    ("COM201", "00A4", OpenError, 3, "COM 201"),
    ("COM200", "ABC", UsageError, 2, "Command format fault"),
])
def test_what_the_runner_refuses_raises_with_its_message(
        sim_reader, port, row, error, code, message):
    with pytest.raises(error, match=message) as raised:
        quillard.run(port, [row], lang="en", **sim_reader.options())
    assert raised.value.exit_code == code


def test_one_port_of_two_that_opens_runs_and_the_other_says_why_not(sim_reader):
    result = quillard.run(["COM200", "COM201"], ["00A4"], **sim_reader.options())
    assert not result.ok
    assert [(p.port, p.opened, p.transactions) for p in result.ports] == [
        ("COM200", True, 1), ("COM201", False, 0)]
    assert result.ports[1].error


@pytest.mark.parametrize("variable", ["/nowhere/quillard-run", None])
def test_a_missing_program_says_so(monkeypatch, tmp_path, variable):
    monkeypatch.delenv("QUILLARD_RUN", raising=False)
    if variable:
        monkeypatch.setenv("QUILLARD_RUN", variable)
    else:  # not on the PATH, not installed
        monkeypatch.setenv("PATH", str(tmp_path))
        monkeypatch.setattr(quillard.runner, "DEFAULT_PROGRAM", str(tmp_path / "none"))
    with pytest.raises(ProgramNotFound, match="quillard-run"):
        quillard.run("COM200", ["00A4"])


def test_a_run_past_its_time_limit_is_interrupted_and_keeps_its_summary(sim_reader):
    with pytest.raises(quillard.RunTimeLimit) as raised:
        quillard.run(sim_reader.port, ["00A4", "A3@100"], seconds=30, time_limit=0.5,
                     **sim_reader.options())
    summary = raised.value.result
    assert raised.value.exit_code == 130 and summary.interrupted
    assert summary.rows[0].successes >= 1
