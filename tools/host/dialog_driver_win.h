// Scripted driving of a plug-in's modal dialog (host.exe run --script FILE): a second
// thread runs the script's commands against the dialog while the selectors, and so the
// dialog's own message loop, run on the main thread. Clicks go in as BM_CLICK, keys and
// mouse as real input (SendInput) so that the dialog's keyboard hook, capture and
// WM_MOUSEMOVE see them as they see a user's. After every command the driver waits
// until the dialog's thread has taken in everything queued for it.
// Results go to the report as script.N.* (N = the command's line number).
#pragma once
#include <string>
#include <vector>

#include "script.h"

class DialogDriver;

// Starts the driver thread. logPath: optional text log of each command and its results.
DialogDriver* startDialogDriver(const std::vector<ScriptCommand>& commands, const std::string& logPath);
// Tells the driver the selectors are over (no dialog can appear any more) and waits for
// its thread to end; deletes the driver.
void finishDialogDriver(DialogDriver* driver);
