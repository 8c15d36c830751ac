#pragma once

// Registers the window classes, loads the settings, runs the modal editing dialog,
// saves the settings and unregisters the classes. Sets gPlugin.result: an error when a
// class cannot be registered or the dialog cannot be made.
void runEditingDialog();
// Brings the dialog's tablet context to the top of the driver's stack (after a window of
// the host's, such as its colour picker, may have taken it). Nothing without a context.
void overlapTabletContext();

// The image side of the dialog's life (portable: kx_replay runs the same code).
// Opening asks the host for the image, builds the working copy and the undo buffer;
// false when the host delivered no image (the dialog must then end at once with
// gPlugin.result, which is then an error).
bool openWorkSession();
// The effect's own start on the working copy (openWorkSession's last step; a replay,
// which makes the working copy itself, calls it directly).
void openedWork();
// Apply: the image on screen becomes the applied one, which Revert returns to and the
// effects read as their source. It goes into a buffer of our own (allocated at the first
// Apply), never into the host's source buffer. False when that buffer cannot be had:
// then nothing has changed.
bool applyWork();
// Revert (after its question): the result returns to the applied image, or the source.
void revertWork();
// The end of every session that keeps the image (Done, the close box answered Yes, a
// replay with --done): result 0, the host's own result buffer holding the image on
// screen, the effect's finalApply on it, our buffers freed.
void keepWork();
// Any end: gives the host back its own result buffer holding the latest image and frees
// our buffers. Nothing is left to do after keepWork.
void closeWorkSession();
// The effect's buffers that need the image's size, around the dialog at Start: false when
// they cannot be had (then there is no dialog).
bool startEffectBuffers();
void freeEffectBuffers();
