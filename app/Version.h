#pragma once

// The program's version, written here only: the window's title, the Windows resources and the packages read it
// (CMake takes the numbers from this line).
#define ZARVEL_VERSION_TEXT "1.0.0"
