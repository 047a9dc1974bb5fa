#pragma once

// The About window's own texts, UTF-8; its controls are in Layout::aboutWindow().
namespace About {

constexpr const char* Title = "Zarvel Ke Bare Main";
// The maker's address: the link shows it and opens it.
constexpr const char* MakerAddress = "http://example.com";
// The window's inside, in pixels.
constexpr int InnerWidth = 344;
constexpr int InnerHeight = 621;
// The link's own face; the window's font serves where it is missing.
constexpr const char* LinkFace = "Comic Sans MS";
constexpr int LinkPoints = 9;
constexpr int LinkWeight = 400;

} // namespace About
