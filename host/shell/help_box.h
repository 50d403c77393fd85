// The plug-in's help window, as the reference shell shows it in a terminal: a box of rows at
// the bottom while the window shows, gone when it hides. The rows above scroll as before.
#pragma once

// Brings the box in step with the help window, once the window's thread has caught up; draws
// only when what the window shows, or the terminal's size, has changed. Without a terminal
// nothing is drawn.
void HelpBoxSync();
// Takes the terminal's size afresh, for the box and for the window model, and draws the box
// again after a change of size, or after the screen was cleared. True when rows below the
// cursor's were cleared or drawn, so that the line being edited is to be drawn again.
bool HelpBoxRefresh(bool screenCleared);
// Takes the box away and gives the whole terminal back.
void HelpBoxStop();
