#pragma once

#include "app/Version.h"

// The main window's own texts, size and pace, UTF-8; its controls are in Layout::mainWindow().
namespace MainWindow {

constexpr const char* Title = "Zarvel v" ZARVEL_VERSION_TEXT;
// The window's inside, in pixels: one more row than its lowest control reaches.
constexpr int InnerWidth = 289;
constexpr int InnerHeight = 148;
// How often a face looks at a running run: once per frame of a 60 Hz screen, so the bar never lags a frame.
constexpr int FrameMilliseconds = 16;
// What the browse labels' Open dialog shows: every file, chosen from anywhere.
constexpr const char16_t* BrowseTitle = u"Open";
constexpr const char16_t* BrowseFilter = u"All Files (*.*)|*.*";

} // namespace MainWindow
