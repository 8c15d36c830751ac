// The strokeprobe test module: the framework with the recording effect.
#include "tools/stroke_probe/record_effect.h"

const ModuleInfo& currentModule() { return recordingModule(); }
