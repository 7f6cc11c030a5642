"""The pytest plug-in: a `reader` fixture that sends rows to the reader named
on pytest's command line.

    pytest --quillard-port COM3 test_reader.py

    def test_select(reader):
        assert reader.send("00A4040000", expect="9000").ok

Without --quillard-port a test that uses the fixture is skipped. Each row a
test sends is recorded as a "quillard" property of the test, which pytest's
--junitxml report carries."""

import pytest

from .runner import Reader

# name: (metavar, help)
OPTIONS = {
    "port": ("PORT", "the reader's port: COMn, n, HIDn or hid:n (tests that use the "
                     "reader fixture are skipped without it)"),
    "folder": ("DIR", "the program folder (settings file, Protocols/, ComPorts/)"),
    "protocol": ("NAME", "a protocol of the settings file, by name or index"),
    "plugin": ("FILE", "a protocol plug-in file instead of a protocol"),
    "program": ("FILE", "the quillard-run program (default: $QUILLARD_RUN, the PATH, "
                        "/usr/lib/quillard/quillard-run)"),
}


def pytest_addoption(parser):
    """The --quillard-* options."""
    group = parser.getgroup("quillard", "card reader tests through quillard-run")
    for name, (metavar, help_text) in OPTIONS.items():
        group.addoption(f"--quillard-{name}", dest=f"quillard_{name}", default=None,
                        metavar=metavar, help=help_text)


@pytest.fixture(scope="session")
def quillard_options(pytestconfig):
    """The --quillard-* options that were given, by name (port, folder, ...)."""
    given = {name: pytestconfig.getoption(f"quillard_{name}") for name in OPTIONS}
    return {name: value for name, value in given.items() if value is not None}


class _RecordingReader(Reader):
    """A Reader that records each row it sends as a property of the test
    (as record_property does, without its warning about the xunit2 report)."""

    def __init__(self, properties, port, **options):
        super().__init__(port, **options)
        self._properties = properties

    def send(self, command, expect=None, address=None, timeout=None, loop=1, **options):
        row = super().send(command, expect, address, timeout, loop, **options)
        counts = ", ".join(f"{name} {count}" for name, count in row.outcomes.items() if count)
        self._properties.append(("quillard", f"{row.row}: {counts or 'no transaction'}"))
        return row


@pytest.fixture
def reader(quillard_options, request):
    """The reader behind --quillard-port, with the other --quillard-* options."""
    options = dict(quillard_options)
    port = options.pop("port", None)
    if port is None:
        pytest.skip("no reader: give pytest --quillard-port COMn (or HIDn)")
    return _RecordingReader(request.node.user_properties, port, **options)
