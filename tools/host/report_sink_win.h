// The run's report, shared by the main thread, the watchdog thread and the fault filter.
// Every access takes one lock; writeReport() puts it in the --report file and on stdout.
#pragma once
#include <string>

#include "report.h"

void reportInit(const std::string& path);
void reportSet(const std::string& key, const std::string& value);
void reportSet(const std::string& key, long long value);
std::string reportGet(const std::string& key);
// Writes the file (if one was named) and echoes to stdout. Safe to call more than once;
// the last call wins in the file, stdout gets the text once per call.
void writeReport();

// Installs the unhandled-exception filter (fault → "fault=..." in the report, exit 3)
// and starts the watchdog (after timeoutMs: "timeout=1", exit 4).
void startCrashWatch(int timeoutMs);
// Stops the watchdog once the selectors are done.
void stopCrashWatch();
