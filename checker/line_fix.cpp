// A line's fix in the file's bytes: the line is decoded again from its first byte, character
// by character as the reader took it, to find the bytes of each edited unit.
#include "checker/line_fix.h"

#include "base/text16.h"
#include "platform/unicode.h"

namespace {

// The characters of a line's first units, as editors count them: a surrogate pair is one.
uint32_t CharactersIn(const char16_t* line, uint32_t units) {
    return units - static_cast<uint32_t>(SurrogatePairsIn(line, units));
}

} // namespace

bool EditLine(const char16_t* line, const LineEdit* edits, size_t count, char16_t* out) {
    size_t n = 0;
    size_t at = 0;
    auto put = [&](char16_t unit) {
        if (n + 1 >= static_cast<size_t>(kLineUnits)) {
            return false;
        }
        out[n++] = unit;
        return true;
    };
    for (size_t i = 0; i <= count; ++i) {
        size_t until = i < count ? edits[i].from : Str16Len(line);
        for (; at < until; ++at) {
            if (!put(line[at])) {
                return false;
            }
        }
        if (i == count) {
            break;
        }
        for (const char16_t* p = edits[i].text; *p; ++p) {
            if (!put(*p)) {
                return false;
            }
        }
        at = edits[i].to;
    }
    out[n] = 0;
    return true;
}

int AddLineFix(FindingList* findings, const TextSource* source, const TextLineReport* report,
               const char16_t* line, const char16_t* code, const char16_t* what,
               const char16_t* entry, const LineEdit* edits, size_t count) {
    // A line cut at the reader's limit would move what lies beyond the limit in or out of it.
    if (report->length != Str16Len(line)) {
        return 0;
    }
    int32_t index = StartFix(findings, report->number, code, what);
    if (index < 0) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        return -1;
    }
    Str16Copy({findings->fixes.items[index].entry, kNameUnits}, entry);
    uint32_t offset = report->start;
    uint32_t unit = 0;
    bool placed = true;
    for (size_t i = 0; i < count && placed; ++i) {
        FixEdit edit = {};
        // To the edit's first unit, then past its last; never into the middle of a pair.
        while (placed && unit < edits[i].from) {
            DecodedChar c = DecodeChar(*source, offset);
            placed = c.length > 0;
            offset += c.length;
            unit += c.value > 0xFFFF ? 2 : 1;
        }
        placed = placed && unit == edits[i].from;
        edit.offset = offset;
        edit.line = report->number;
        // In characters from the line's units: UTF-16 gives the reader a pair's halves apart.
        edit.column = report->column + CharactersIn(line, edits[i].from) + 1;
        edit.columns = CharactersIn(line, edits[i].to) - CharactersIn(line, edits[i].from);
        while (placed && unit < edits[i].to) {
            DecodedChar c = DecodeChar(*source, offset);
            placed = c.length > 0;
            offset += c.length;
            unit += c.value > 0xFFFF ? 2 : 1;
        }
        edit.length = offset - edit.offset;
        Str16Copy({edit.text, kFixTextUnits}, edits[i].text);
        edit.byteCount = EncodeFixText(source->encoding, edit.text, edit.bytes);
        placed = placed && unit == edits[i].to && (edit.byteCount > 0 || !edit.text[0]);
        if (placed && !AddFixEdit(&findings->fixes, edit)) { // GCOVR_EXCL_BR_LINE
            findings->incomplete = true;
            placed = false;
        }
    }
    if (!placed) {
        // The finding keeps no fix that is only partly made.
        DropLastFix(&findings->fixes);
        Finding* last = findings->lastKept ? &findings->items[findings->lastKept - 1] : nullptr;
        if (last && last->fix == static_cast<uint32_t>(index) + 1) {
            last->fix = 0;
        }
    }
    return findings->incomplete ? -1 : 0;
}
