// Warnings where the encoding the plug-in chose loses help: one stray byte that sends a UTF-8
// file to the code page, and files whose encoding was guessed where a mark would settle it.
#pragma once

#include "checker/encoding_note.h"

// Adds the warnings for a source whose encoding was found as input->verdict says.
void AddEncodingAdvice(const EncodingNoteInput* input, FindingList* findings);
// The line (from 1) and column of a byte of text read one byte per character, as an editor
// counts them: CR, LF, CR LF and LF CR each end a line.
void PlaceByte(const TextSource* source, uint32_t offset, uint32_t* line, uint32_t* column);
