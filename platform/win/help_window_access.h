// Windows: what the help window tells assistive technology. The window answers for itself as a
// tooltip whose name is the help it shows; the system's own accessible object gives the rest.
#pragma once

#include <windows.h>

// The answer to WM_GETOBJECT: for the window's own object or its client area, an object with a
// tooltip's role whose name is the text at `name` (read each time it is asked: the text lives
// as long as the window). 0 for anything else, and when the system's accessibility libraries
// cannot be had: the caller then leaves the message to the system. Only the window's thread
// calls it; the libraries and COM are brought in the first time a client asks.
LRESULT AnswerAccessibleObject(HWND window, WPARAM flags, LPARAM object, const wchar_t* name);
// Once the window is gone, on its thread: lets go of COM and the libraries.
void EndAccessibleObjects();
