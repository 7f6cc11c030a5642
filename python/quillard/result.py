"""What a run of quillard-run reports: the JSON summary it prints as the last
line of standard error with --json, read into plain objects.

The reading is tolerant: a key the runner does not print (an older runner)
gives its default, so that the same code reads every runner's summary."""

import json
from dataclasses import dataclass, field
from typing import Dict, List, Optional


@dataclass
class Figures:
    """Times in milliseconds over the transactions that were timed."""

    timed: int
    min: float
    mean: float
    p99: float
    max: float


def figures_from(data) -> Optional[Figures]:
    """The figures of a JSON object such as {"timed":3,"min":1.2,...}; None
    when it is missing or nothing was timed."""
    if not isinstance(data, dict) or not data.get("timed"):
        return None
    return Figures(int(data["timed"]), *(float(data.get(key) or 0.0)
                                         for key in ("min", "mean", "p99", "max")))


def reply_bytes(text) -> Optional[bytes]:
    """The bytes of a reply written as hexadecimal pairs ("90 00"), or None."""
    return None if text is None else bytes.fromhex(text)


@dataclass
class RowResult:
    """One row of one port: what its transactions came to over the run.

    `result` is the whole run the row was part of."""

    row: str
    expect: Optional[str] = None
    transactions: int = 0
    outcomes: Dict[str, int] = field(default_factory=dict)
    round_trip: Optional[Figures] = None
    first_byte: Optional[Figures] = None
    last_byte: Optional[Figures] = None
    last_reply: Optional[bytes] = None
    first_failure: Optional[dict] = None
    result: Optional["Result"] = field(default=None, compare=False)

    def __repr__(self) -> str:
        # what a failed assertion on .ok shows: the counts that are not 0 and the reply
        counts = ", ".join(f"{name} {n}" for name, n in self.outcomes.items() if n)
        reply = "none" if self.last_reply is None else self.last_reply.hex(" ").upper()
        failure = f", first failure {self.first_failure}" if self.first_failure else ""
        return (f"RowResult({self.row!r}: {counts or 'no transaction'}, "
                f"last reply {reply}{failure})")

    @property
    def successes(self) -> int:
        """Transactions that succeeded (and matched the expected reply, if any)."""
        return self.outcomes.get("SUCCESS", 0)

    @property
    def mismatches(self) -> int:
        """Transactions that succeeded but whose reply was not the expected one."""
        return self.outcomes.get("MISMATCH", 0)

    @property
    def failures(self) -> int:
        """Transactions that did not succeed, mismatches included."""
        return self.transactions - self.successes

    @property
    def ok(self) -> bool:
        """At least one transaction, and every one succeeded."""
        return self.transactions > 0 and self.failures == 0


@dataclass
class PortResult:
    """One port of a run: whether it opened, and its rows."""

    port: str
    opened: bool = False
    error: Optional[str] = None
    transactions: int = 0
    outcomes: Dict[str, int] = field(default_factory=dict)
    round_trip: Optional[Figures] = None
    rows: List[RowResult] = field(default_factory=list)


@dataclass
class Result:
    """A whole run of quillard-run: the totals over all ports, each port, and
    the program's exit code and output."""

    exit_code: int
    transactions: int = 0
    outcomes: Dict[str, int] = field(default_factory=dict)
    round_trip: Optional[Figures] = None
    ports: List[PortResult] = field(default_factory=list)
    interrupted: bool = False
    stderr: str = field(default="", repr=False)
    stdout: str = field(default="", repr=False)

    @property
    def ok(self) -> bool:
        """The runner said that every transaction succeeded (exit code 0)."""
        return self.exit_code == 0

    @property
    def rows(self) -> List[RowResult]:
        """The rows of a run over one port (none when the runner did not
        report its ports). A run over several ports has them in .ports."""
        if len(self.ports) > 1:
            raise ValueError(f"a run over {len(self.ports)} ports: take the rows "
                             "of one of .ports")
        return self.ports[0].rows if self.ports else []


def _counts(data) -> Dict[str, int]:
    return {str(name): int(count) for name, count in (data or {}).items()}


def _row_from(data: dict) -> RowResult:
    return RowResult(
        row=data.get("row", ""),
        expect=data.get("expect"),
        transactions=int(data.get("transactions", 0)),
        outcomes=_counts(data.get("outcomes")),
        round_trip=figures_from(data.get("round_trip_ms")),
        first_byte=figures_from(data.get("first_byte_ms")),
        last_byte=figures_from(data.get("last_byte_ms")),
        last_reply=reply_bytes(data.get("last_reply")),
        first_failure=data.get("first_failure"),
    )


def _port_from(data: dict) -> PortResult:
    return PortResult(
        port=data.get("port", ""),
        opened=bool(data.get("opened", False)),
        error=data.get("error"),
        transactions=int(data.get("transactions", 0)),
        outcomes=_counts(data.get("outcomes")),
        round_trip=figures_from(data.get("round_trip_ms")),
        rows=[_row_from(row) for row in data.get("rows") or []],
    )


def parse_summary(line: str, exit_code: Optional[int] = None, stdout: str = "",
                  stderr: str = "") -> Result:
    """The Result of the runner's JSON summary line. `exit_code` is the
    program's own, which wins over the one the summary states.
    Raises ValueError when the line is no JSON object."""
    data = json.loads(line)
    if not isinstance(data, dict):
        raise ValueError("the summary is no JSON object")
    code = exit_code if exit_code is not None else int(data.get("exit_code", 0))
    result = Result(
        exit_code=code,
        transactions=int(data.get("transactions", 0)),
        outcomes=_counts(data.get("outcomes")),
        round_trip=figures_from(data.get("round_trip_ms")),
        ports=[_port_from(port) for port in data.get("ports") or []],
        interrupted=bool(data.get("interrupted", False)),
        stdout=stdout,
        stderr=stderr,
    )
    for port in result.ports:
        for row in port.rows:
            row.result = result
    return result
