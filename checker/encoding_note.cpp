// Wording the encoding detection's verdict for a file's author.
#include "checker/encoding_note.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/messages.h"
#include "base/text16.h"

namespace {

// The byte-order mark of an encoding, as "FF FE 00 00" is written.
const char16_t* MarkText(Encoding encoding, char16_t* out, size_t capacity) {
    const EncodingForm& form = FormOf(encoding);
    out[0] = 0;
    for (uint32_t i = 0; i < form.markBytes; ++i) {
        size_t at = Str16Len(out);
        Format16({out + at, capacity - at}, i ? u" %02X" : u"%02X", form.mark[i]);
    }
    return out;
}

// "in the ANSI code page 1252", and which table stands in for a code page without one.
void AnsiName(const TextSource* s, char16_t* out, size_t capacity) {
    int table = SelectAnsiTable(s->ansiCodePage);
    if (kAnsiCodePages[table] == s->ansiCodePage) {
        Format16({out, capacity}, u"in the ANSI code page %u", s->ansiCodePage);
    } else {
        Format16({out, capacity},
                 u"in the ANSI code page %u (with the table of code page %u, as the plug-in has "
                 u"none for %u)",
                 s->ansiCodePage, kAnsiCodePages[table], s->ansiCodePage);
    }
}

// Bytes above 0x7F after an ASCII start that the detection looked at: they are read in the
// code page even when they are UTF-8.
void CheckLateUtf8(const TextSource* s, const EncodingVerdict* v, FindingList* findings) {
    if (v->examined >= s->size) {
        return;
    }
    TextSource rest = {};
    rest.data = s->data + v->examined;
    rest.size = s->size - v->examined;
    if (TestUtf8(&rest) == Encoding::Utf8) {
        AddFinding(findings, 0, 0, kSeverityWarning, u"late-utf8",
                   u"the first %u bytes are ASCII and decide the reading; UTF-8 that follows "
                   u"them is read in the code page: save the file with a byte-order mark",
                   v->examined);
    }
}

} // namespace

void AddEncodingNote(const EncodingNoteInput* input, FindingList* findings) {
    const TextSource* s = input->source;
    const EncodingVerdict* v = input->verdict;
    const uint32_t* c = v->counts;
    const char16_t* name = FormOf(s->encoding).name;
    bool le = !FormOf(s->encoding).bigEndian;
    char16_t ansi[kMessageUnits];
    AnsiName(s, ansi, kMessageUnits);
    char16_t mark[12];
    const char16_t* code = u"encoding";
    switch (v->reason) {
    case kEncodingByMark:
        AddFinding(findings, 0, 0, kSeverityNote, code,
                   u"read as %s: the file begins with its byte-order mark %s", name,
                   MarkText(s->encoding, mark, sizeof mark / sizeof mark[0]));
        return;
    case kEncodingByUtf32Statistics:
        AddFinding(findings, 0, 0, kSeverityNote, code,
                   u"read as %s%s: %u of the first %u %s have a zero high half", name,
                   s->bomLength ? u" after its byte-order mark" : u" without a byte-order mark",
                   c[0], c[1], Pluralize(c[1], u"character"));
        return;
    case kEncodingByUtf16Zeros:
        AddFinding(findings, 0, 0, kSeverityNote, code,
                   u"read as %s without a byte-order mark: in this short file, more zero bytes "
                   u"stand at %s offsets (%u) than at %s ones (%u)",
                   name, le ? u"odd" : u"even", le ? c[1] : c[0], le ? u"even" : u"odd",
                   le ? c[0] : c[1]);
        return;
    case kEncodingByUtf16Statistics:
        AddFinding(findings, 0, 0, kSeverityNote, code,
                   u"read as %s without a byte-order mark: in the first %u bytes, zero bytes "
                   u"stand at %s offsets (%u against %u) and spaces at %s ones (%u against %u)",
                   name, v->examined, le ? u"odd" : u"even", le ? c[1] : c[0], le ? c[0] : c[1],
                   le ? u"even" : u"odd", le ? c[2] : c[3], le ? c[3] : c[2]);
        return;
    case kEncodingByCodePage:
        AddFinding(findings, 0, 0, kSeverityNote, code,
                   u"read as UTF-8: the ANSI code page is 65001, and the file is neither UTF-16 "
                   u"nor UTF-32");
        return;
    case kEncodingByUtf8Sequences:
        AddFinding(findings, 0, 0, kSeverityNote, code,
                   u"read as UTF-8 without a byte-order mark: the first %u bytes are well-formed "
                   u"UTF-8 with %u %s beyond ASCII",
                   v->examined, c[0], Pluralize(c[0], u"character"));
        return;
    case kEncodingByNotUtf8:
        if (input->offsetLine) {
            AddFinding(findings, 0, 0, kSeverityNote, code,
                       u"read %s: byte 0x%02X on line %u is not UTF-8", ansi, s->data[v->offset],
                       input->offsetLine);
        } else { // not reached from the file check, which counts lines from 1
            AddFinding(findings, 0, 0, kSeverityNote, code,
                       u"read %s: byte 0x%02X at offset %u is not UTF-8", ansi, s->data[v->offset],
                       v->offset);
        }
        return;
    default:
        if (v->examined > 0) {
            AddFinding(findings, 0, 0, kSeverityNote, code,
                       u"read %s: the first %u bytes are all ASCII", ansi, v->examined);
            CheckLateUtf8(s, v, findings);
        } else {
            AddFinding(findings, 0, 0, kSeverityNote, code, u"read %s", ansi);
        }
        return;
    }
}
