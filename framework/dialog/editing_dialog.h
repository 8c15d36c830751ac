#pragma once

// Registers the window classes, loads the settings, runs the modal editing dialog,
// saves the settings and unregisters the classes. Sets gPlugin.result.
void runEditingDialog();

// The image side of the dialog's life. Opening asks the host for the image, builds the
// working copy and the undo buffer; false when the host delivered no image (the dialog
// must then end at once with gPlugin.result as the host answered).
bool openWorkSession();
// Gives the host back its own result buffer holding the latest image.
void closeWorkSession();
