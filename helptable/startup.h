// The start-up search for Hintbar.txt, and helpers the hbar command shares.
#pragma once

extern const char16_t kDataFileName[]; // "Hintbar.txt"

int LoadDefaultHelpFile();
// Appends "\" unless the path is empty or ends in "/", "\" or ":", then "Hintbar.txt".
// The path is a buffer of 32,768 units.
int AppendDataFileName(char16_t* path);
// True for an existing file that is neither a directory nor a device.
bool IsPlainFile(const char16_t* path);
