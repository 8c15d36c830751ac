// Answers message boxes that plug-ins show on the host's thread, so command-line runs
// never wait for a user: a WH_CBT hook sees each message box as it is activated,
// records its caption and text, and posts the chosen button to it.
// A message box is a dialog-class ("#32770") window whose text is a static with id
// 0xFFFF and whose other children are only buttons and statics; a plug-in's own
// dialog box of that class has other controls and is left alone, for a script to drive.
#pragma once
#include <string>

// button: IDOK, IDYES, IDNO or IDCANCEL; name as given on the command line.
void installMessageBoxAnswerer(int button, const char* name);
void removeMessageBoxAnswerer();

// The next message box (only that one) gets this button instead of the default.
// Safe to call from any thread.
void queueMessageBoxAnswer(int button, const char* name);
// Message boxes seen so far (also the report's messagebox.count).
int messageBoxCount();
