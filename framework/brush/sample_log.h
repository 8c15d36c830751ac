// A text record of the samples a dialog session fed the stroke step, one per line:
// "x y size amount pressure inverted". Replaying the file through the stroke step
// natively must paint exactly what the dialog painted.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "framework/tablet/tablet_sample.h"

std::string formatSample(const TabletSample& s);
bool parseSample(const char* line, TabletSample& s);
// Reads a whole file; false when it cannot be read or a line is malformed.
bool readSampleLog(const char* path, std::vector<TabletSample>& samples);
