#pragma once
#include <windows.h>

#include <string>

// What a window shows on screen, as an RGB PNG: its client area, or the whole window
// with its frame. False when the window has no area or the file cannot be written;
// the size written goes to width and height.
bool captureWindowPng(HWND window, bool withFrame, const std::string& path, int& width, int& height);
