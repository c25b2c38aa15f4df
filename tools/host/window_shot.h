/*
 * Screenshots of real windows: the pixels a window shows on the screen,
 * written as a PNG file by an encoder of our own (stored deflate blocks,
 * no compression), so that nothing beyond Win32 is needed to take them.
 */
#pragma once

#include <windows.h>
#include <stdint.h>
#include <vector>

/* The PNG file of an RGB image: rgb holds height rows, top row first, of
 * width pixels of 3 bytes (red, green, blue) without padding.  Width and
 * height must be 1 or more. */
std::vector<uint8_t> EncodePng(const uint8_t *rgb, uint32_t width, uint32_t height);

/* The RGB pixels (as EncodePng takes them) of the part of window's
 * rectangle that lies on the screen.  Returns STATUS_OK, or
 * STATUS_SYSTEM_ERROR with the last error set: ERROR_INVALID_WINDOW_HANDLE
 * for no window, ERROR_INVALID_PARAMETER when none of it is on the screen,
 * or what the failing GDI call left.  The outputs are untouched on failure. */
int CaptureWindow(HWND window, std::vector<uint8_t> *rgb, uint32_t *width, uint32_t *height);

/* Captures window and writes it as a PNG file at path, replacing any file
 * there.  Returns STATUS_OK or STATUS_SYSTEM_ERROR (as CaptureWindow, or
 * from the file calls); a failed write leaves no file behind. */
int SaveWindowPng(HWND window, const char *path);
