// The hbar command: built with the argument tokenizer.
#include "plugin/plugin.h"

extern "C" int HB_STDCALL hbar(char16_t* line) { return line ? 0 : 1; }
