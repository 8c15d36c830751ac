// Answers message boxes that plug-ins show on the host's thread, so command-line runs
// never wait for a user: a WH_CBT hook sees each dialog-class ("#32770") window as it is
// activated, records its caption and text, and posts the chosen button to it.
// Note: a plug-in's own dialog box has the same window class and is answered the same
// way; scripted dialog driving will narrow this to windows it does not drive itself.
#pragma once

// button: IDOK, IDYES, IDNO or IDCANCEL; name as given on the command line.
void installMessageBoxAnswerer(int button, const char* name);
void removeMessageBoxAnswerer();
