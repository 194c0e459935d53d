// Identifiers of the resources compiled into Tindrel.exe (tindrel.rc), shared with the code that
// loads them.
#pragma once

// The program icon: the widget's window icon and its notification-area icon.
#define IDI_TINDREL 1
