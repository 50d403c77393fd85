// A host main window with a status bar child, real on Windows, modelled on Linux; the host
// services are told about it.
#pragma once

void FuzzMakeHostWindow();
