// The results of a run as JUnit XML, the file CI servers (Jenkins, GitLab)
// read: a test suite per port, a test case per row.
#pragma once

#include <string>

#include "run_summary.h"

// The whole file. `className` names the protocol (or the plug-in file) in
// every test case.
std::string JUnitXml(const RunReport& report, const std::string& className);

// Writes `xml` to `path` in one step (a reader finds the old file or the new
// one); false when it could not be written.
bool WriteJUnitFile(const std::string& path, const std::string& xml);
