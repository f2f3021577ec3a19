// Resource identifiers shared by vostrel.rc and the window.
#pragma once

// The first icon of the file is also the program file's icon.
#define IDI_VOSTREL 1
