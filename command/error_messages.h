// What the plug-in says on standard error: the prefix of every error message, and the words
// for a load that failed, which the layers below return as results rather than write.
#pragma once

#include "helptable/help_loader.h"
#include "textinput/text_source.h"

// The handle of standard error, where every error message goes.
[[nodiscard]] void* ErrorHandle();
// "Hintbar plugin: ", and inside a batch file its name and line, on standard error.
void WriteErrorPrefix();

// Says why a text source did not open; nothing for one that opened, was empty or had no name.
void ReportSourceFailure(const SourceOpenResult& opened);
// Says why a load, an add or a merge failed; nothing for one that loaded or had no name.
void ReportLoadFailure(const HelpLoadResult& result);
