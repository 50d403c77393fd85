// Host windows built inside the test process, for the plug-in to find: real windows on
// Windows, the platform's window model on Linux.
#pragma once

#include <string>

// A top-level window when parent is null, otherwise a child of parent.
void* CreateTestWindow(void* parent, const char16_t* className, const char16_t* text);
void DestroyTestWindow(void* window); // and its descendants
void SetTestWindowText(void* window, const char16_t* text);
std::u16string TestWindowText(void* window);
