"""Reading the runner's summary, building its command line, and the errors
its exit codes amount to: no program run."""

import json

import pytest

from quillard import NoSummary, OpenError, Row, UsageError, parse_summary
from quillard.runner import command_line, port_args, result_of, row_text

NOTHING_TIMED = {"timed": 0, "min": None, "mean": None, "p99": None, "max": None}
TIMED = {"timed": 6, "min": 1.5, "mean": 2.0, "p99": 3.0, "max": 3.5}
TWO_PORTS = {
    "transactions": 12, "outcomes": {"SUCCESS": 10, "NO DATA": 1, "MISMATCH": 1},
    "round_trip_ms": TIMED,
    "ports": [
        {"port": "COM200", "opened": True, "error": None, "transactions": 12,
         "outcomes": {"SUCCESS": 10, "NO DATA": 1, "MISMATCH": 1}, "round_trip_ms": TIMED,
         "rows": [
             {"row": "00A4040000=>9000", "expect": "90 00", "transactions": 6,
              "outcomes": {"SUCCESS": 5, "NO DATA": 0, "MISMATCH": 1},
              "round_trip_ms": TIMED, "first_byte_ms": TIMED, "last_byte_ms": TIMED,
              "last_reply": "90 00",
              "first_failure": {"outcome": "MISMATCH", "reply": "6A 82", "expected": "90 00"}},
             {"row": "A3@40", "expect": None, "transactions": 6,
              "outcomes": {"SUCCESS": 5, "NO DATA": 1, "MISMATCH": 0},
              "round_trip_ms": TIMED, "first_byte_ms": NOTHING_TIMED,
              "last_byte_ms": NOTHING_TIMED, "last_reply": None,
              "first_failure": {"outcome": "NO DATA", "reply": None, "expected": None}}]},
        {"port": "COM7", "opened": False, "error": "COM7 open failed", "transactions": 0,
         "outcomes": {"SUCCESS": 0}, "round_trip_ms": NOTHING_TIMED, "rows": []}],
    "interrupted": False, "exit_code": 1}


def test_a_summary_of_two_ports_is_read_into_ports_and_rows():
    result = parse_summary(json.dumps(TWO_PORTS), 1)
    assert (result.ok, result.transactions, result.round_trip.p99) == (False, 12, 3.0)
    assert [(p.port, p.opened, p.error, p.round_trip is None) for p in result.ports] == [
        ("COM200", True, None, False), ("COM7", False, "COM7 open failed", True)]
    select, silent = result.ports[0].rows
    assert (select.successes, select.mismatches, select.failures, select.ok) == (5, 1, 1, False)
    assert (select.last_reply, select.first_byte.max, select.result) == (b"\x90\x00", 3.5, result)
    assert (silent.failures, silent.mismatches, silent.last_reply, silent.first_byte) == (
        1, 0, None, None)
    assert silent.first_failure["outcome"] == "NO DATA"
    with pytest.raises(ValueError, match="2 ports"):
        result.rows


def test_a_summary_of_totals_alone_reads_with_defaults():
    result = parse_summary('{"transactions":3,"outcomes":{"SUCCESS":2,"NO DATA":1},'
                           '"round_trip_ms":{"timed":0,"min":null},"interrupted":true}', 130)
    assert (result.transactions, result.outcomes["NO DATA"], result.interrupted) == (3, 1, True)
    assert (result.round_trip, result.ports, result.rows, result.ok) == (None, [], [], False)


@pytest.mark.parametrize("row, text", [
    ("00A4@50=>90 ??", "00A4@50=>90 ??"),
    (("A4", "01", 300, "9000"), "01:A4@300=>9000"),
    (Row("B0", address=0x1F, timeout=0), "1F:B0@0"),
    (Row("B0", expect=b"\x6a\x82"), "B0=>6A 82"),
])
def test_rows_are_written_in_the_runners_form(row, text):
    assert row_text(row) == text


@pytest.mark.parametrize("port, args", [
    ("COM3", ["--com", "3"]), (3, ["--com", "3"]), ("com3-6", ["--com", "3-6"]),
    (["HID0", "hid:2"], ["--hid", "0", "--hid", "2"]),
    ("/dev/ttyS0", None), ("HID", None), ([], None),
])
def test_ports_become_com_and_hid_options(port, args):
    if args is None:
        with pytest.raises(ValueError):
            port_args(port)
    else:
        assert port_args(port) == args


def test_the_line_setting_and_char_timeout_come_before_the_ports():
    args = command_line(["COM3", 4], ["A1"], 5, settings="9600,n,8,1", char_timeout=4,
                        plugin="P.so", program="/bin/true")
    assert args == ["/bin/true", "--settings", "9600,n,8,1", "--char-timeout", "4",
                    "--com", "3", "--com", "4", "--plugin", "P.so", "--send", "A1",
                    "--loop", "5", "--json", "--quiet"]


SUMMARY = '{"transactions":1,"outcomes":{"SUCCESS":1},"interrupted":false,"exit_code":0}'


@pytest.mark.parametrize("code, stderr, error, message", [
    (2, "quillard-run: --send 'ABC': Command format fault\n", UsageError, "Command format fault"),
    (3, "COM7 open failed\nCOM8 open failed\n" + SUMMARY + "\n", OpenError, "COM8 open failed"),
    (1, "Segmentation fault\n", NoSummary, "Segmentation fault"),
    (0, "", NoSummary, "(nothing)"),
    (1, "COM200: the device has gone\n" + SUMMARY + "\n", None, None),
])
def test_exit_codes_and_the_last_line_of_stderr_make_a_result_or_an_error(
        code, stderr, error, message):
    if error is None:
        assert result_of(code, "", stderr).outcomes == {"SUCCESS": 1}
        return
    with pytest.raises(error, match=message) as raised:
        result_of(code, "", stderr)
    assert raised.value.exit_code == code and "{" not in str(raised.value)
