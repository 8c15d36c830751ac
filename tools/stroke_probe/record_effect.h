// A test effect that writes down every dab the framework asks of it, one line each, and
// leaves a visible mark: the tip darkens the dab's centre pixel, the eraser copies the
// source pixel back. Built into the strokeprobe module and into the native replay, so a
// stroke through the real dialog and its replay can be compared call by call.
#pragma once
#include <cstdio>

#include "framework/host/module.h"

void setDabLog(std::FILE* file);  // null: no log
// spotclean's parameters, dialog and settings with the recording dab operations.
const ModuleInfo& recordingModule();
