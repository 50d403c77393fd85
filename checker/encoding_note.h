// The note that says which encoding a file was read in, and what decided it.
#pragma once

#include "checker/findings.h"
#include "textinput/encoding.h"
#include "textinput/text_source.h"

struct EncodingNoteInput {
    const TextSource* source;       // open, its encoding found
    const EncodingVerdict* verdict; // what decided it
    uint32_t offsetLine;            // the line of verdict->offset, when that is known; or 0
};

void AddEncodingNote(const EncodingNoteInput* input, FindingList* findings);
