#pragma once
#include "framework/dialog/dialog_hooks.h"

extern const DialogHooks kChiselDialogHooks;
