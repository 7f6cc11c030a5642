"""Reads a JUnit XML file back with the standard library and prints its parts,
one line each, for the runner's tests to compare:

    testsuites tests=N failures=N errors=N skipped=N
    testsuite NAME tests=N failures=N errors=N skipped=N [interrupted]
    testcase CLASS NAME ok|failure 'MESSAGE'|error 'MESSAGE'|skipped transactions=N PROPERTY...
"""
import sys
import xml.etree.ElementTree as ElementTree


def counts(element):
    return " ".join(f"{name}={element.get(name)}"
                    for name in ("tests", "failures", "errors", "skipped"))


def verdict(case):
    for kind in ("failure", "error"):
        found = case.find(kind)
        if found is not None:
            return f"{kind} '{found.get('message')}'"
    return "skipped" if case.find("skipped") is not None else "ok"


def main(path):
    root = ElementTree.parse(path).getroot()
    print("testsuites", counts(root))
    for suite in root.findall("testsuite"):
        suite_properties = {p.get("name"): p.get("value")
                            for p in suite.findall("properties/property")}
        interrupted = " interrupted" if suite_properties.get("interrupted") == "true" else ""
        print("testsuite", suite.get("name"), counts(suite) + interrupted)
        for case in suite.findall("testcase"):
            properties = {p.get("name"): p.get("value") for p in case.findall("properties/property")}
            named = " ".join(name for name in properties if name not in ("transactions", "expected"))
            float(case.get("time"))
            print("testcase", case.get("classname"), case.get("name"), verdict(case),
                  f"transactions={properties.get('transactions')}", named)


if __name__ == "__main__":
    main(sys.argv[1])
