// Dialog pieces the texture effects share: the texture list, the subclassed swatch and
// the notices after which a texture is prepared again.
#pragma once
#include <windows.h>

#include <cstdint>

// The texture bitmaps come from the plug-in's resources from now on.
void useModuleResources();

// Empties the drop-down list and appends the names (string ids, list order), each entry
// remembering its list position; selects `selected`.
void fillTextureList(HWND dialog, int listId, const int* nameIds, int count, int selected);
// The list's selection after CBN_SELCHANGE, or -1.
int selectedTexture(HWND dialog, int listId);

// A static control that draws itself with `paint` (the client rectangle's pixels); every
// other message goes to the control's own procedure.
using SwatchPainter = void (*)(HWND control, HDC dc, const RECT& client);
void subclassSwatch(HWND control, SwatchPainter paint);
void unsubclassSwatch(HWND control);
void repaintControl(HWND dialog, int id);

// Rows of blue, green, red bytes, top row first, `rowBytes` apart (a multiple of 4), drawn
// 1:1 with their top-left corner at (x, y).
void drawBgrRows(HDC dc, int x, int y, int width, int height, const uint8_t* rows, int rowBytes);

// The end of a trackbar's tracking (TB_ENDTRACK) from one of `ids`.
bool trackingEnded(UINT message, WPARAM w, LPARAM l, const int* ids, int count);
// EN_CHANGE from one of the edit fields `ids` while it has the focus (the user typing,
// not a trackbar writing its value).
bool typedInto(UINT message, WPARAM w, LPARAM l, const int* ids, int count);
