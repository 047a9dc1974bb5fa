#pragma once

// The pictures and cursors are named after their files, upper case, with "_2X" for the twice-as-dense art
// (the resource compiler takes no "@" in a name): a face finds a picture by the name the layout table gives
// it. Only the icon has a number, as the shell shows the lowest one.
#define IDI_ZARVEL 1
