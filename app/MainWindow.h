#pragma once

// The main window's own texts and size, UTF-8; its controls are in Layout::mainWindow().
namespace MainWindow {

constexpr const char* Title = "Zarvel v1.0.0";
// The window's inside, in pixels: one more row than its lowest control reaches.
constexpr int InnerWidth = 289;
constexpr int InnerHeight = 148;
// What the browse labels' Open dialog shows: every file, chosen from anywhere.
constexpr const char16_t* BrowseTitle = u"Open";
constexpr const char16_t* BrowseFilter = u"All Files (*.*)|*.*";

} // namespace MainWindow
