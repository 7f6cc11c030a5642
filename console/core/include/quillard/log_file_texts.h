// The texts of the traffic log's file: the header block it begins with, the
// name it is offered under, and the messages of a file that fails.
#pragma once

#include <chrono>
#include <string>

#include "quillard/log_file.h"

// The program's version, as the header names it.
const char* ProgramVersion();

struct LogFileHeader {
    std::chrono::system_clock::time_point started;
    std::string port;  // the open port and its line or device; empty while none is open
    unsigned long charTimeout = 0;
    std::string protocol;    // the current protocol's name
    std::string pluginFile;  // and its plug-in file, as the settings name it
};

// Lines ending in "\n", in Chinese or English.
std::string LogFileHeaderText(const LogFileHeader& header, bool english);

// "Quillard_20240501_134506.log", with the local date and time of `at`.
std::string LogFileDefaultName(std::chrono::system_clock::time_point at);

// The one message of a file that could not be opened or written.
std::string LogFileErrorMessage(const LogFileError& error, const std::string& path, bool english);
