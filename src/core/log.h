#pragma once

#include <string>

namespace pictavo {

// Sets the log file that writeLog appends to ("log.txt" in the writable application folder
// at start-up). An empty path turns logging off.
void setLogFile(const std::string& path);
std::string logFile();

// Appends one line "%s: %s\n" with the local time as "%H:%M:%S, %b %d, %Y" and the message.
// The file is opened for appending, written and closed on every call; failures are ignored.
// Safe from several threads: a line is never interleaved with another.
void writeLog(const std::string& message);

// The line writeLog would append at the given time (for tests).
std::string formatLogLine(const std::string& message, long long unixSeconds);

} // namespace pictavo
