"""Quillard from Python: runs quillard-run, the console's send path without a
window, and reads its summary.

    import quillard
    result = quillard.run("COM3", ["00A4040000=>9000", "00B0@500"], loop=10)
    assert result.ok, result.outcomes

The pytest plug-in (quillard.pytest_plugin) gives tests a `reader` fixture."""

from .result import Figures, PortResult, Result, RowResult, parse_summary
from .runner import (NoSummary, OpenError, ProgramNotFound, QuillardError, Reader, Row,
                     RunTimeLimit, UsageError, find_program, run)

__version__ = "0.1"
__all__ = ["Figures", "NoSummary", "OpenError", "PortResult", "ProgramNotFound",
           "QuillardError", "Reader", "Result", "Row", "RowResult", "RunTimeLimit",
           "UsageError", "find_program", "parse_summary", "run"]
