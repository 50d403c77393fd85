// The report's forms. Lines read "FILE:LINE:COLUMN: severity: message [code]", as an editor
// or a CI log expects, with the source line and a caret under them; JSON gives the same
// fields as one record per finding; "github" gives workflow annotations; SARIF gives one run
// with a rule per code.
#include "checker/report.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/messages.h"
#include "command/counts.h"
#include "base/product.h"
#include "base/text16.h"
#include "interface/host_services.h"
#include "platform/platform.h"
#include "platform/utf8.h"

#include <cstdarg>

namespace {

constexpr size_t kPendingUnits = 32768;
char16_t g_pending[kPendingUnits];
size_t g_length = 0;
bool g_first = true;              // no file (JSON) or result (SARIF) written yet
uint32_t g_hidden[3] = {0, 0, 0}; // by severity: what --quiet left out
uint32_t g_errors = 0;            // errors reported over all files
bool g_failed = false;
int g_stream = kStdOutput; // where the report goes

enum : int { kPlain, kJson, kProperty, kData };

// Text in a form its reader takes literally. Plain text: controls that a terminal would act
// on become escapes, and characters that take no room are named. JSON: quotes, backslashes and
// controls escaped. Workflow commands: "%", CR and LF (and in a property also ":" and ",") as
// percent escapes.
void EmitEscaped(const char16_t* text, int as) {
    char16_t unit[2] = {0, 0};
    for (const char16_t* p = text; *p; ++p) {
        char16_t c = *p;
        bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (as == kJson && (c == u'"' || c == u'\\')) {
            Emit(c == u'"' ? u"\\\"" : u"\\\\");
        } else if ((as == kData || as == kProperty) &&
                   (c == u'%' || c == u'\r' || c == u'\n' ||
                    (as == kProperty && (c == u':' || c == u',')))) {
            EmitFormatted(u"%%%02X", c);
        } else if (control && (as != kPlain || c != u'\t')) {
            EmitFormatted(u"\\u%04x", c);
        } else if (as != kJson && ((c >= 0x200B && c <= 0x200F) || c == 0xFEFF || c == 0x00AD ||
                                   (c >= 0x2060 && c <= 0x2064))) {
            EmitFormatted(u"<U+%04X>", c); // text that takes no room, named so it can be seen
        } else {
            unit[0] = c;
            Emit(unit);
        }
    }
}

// A file name as the URI of a SARIF log: "/" between the parts, and every byte of UTF-8
// outside the unreserved characters as a percent escape.
void EmitUri(const char16_t* file) {
    char16_t one[2] = {0, 0};
    char bytes[8];
    for (const char16_t* p = file; *p; ++p) {
        char16_t c = *p == u'\\' ? u'/' : *p;
        bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                     (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == u'_' || c == u'~' ||
                     c == u'/';
        if (plain) {
            one[0] = c;
            Emit(one);
            continue;
        }
        char16_t character[3] = {c, 0, 0};
        if (IsSurrogatePair(c, p[1])) {
            character[1] = *++p;
        }
        size_t n = Utf16ToUtf8(character, bytes);
        for (size_t i = 0; i < n; ++i) {
            EmitFormatted(u"%%%02X", static_cast<unsigned char>(bytes[i]));
        }
    }
}

// "1,234 errors": a count grouped and worded as the plug-in words its counts.
void EmitCount(uint32_t count, const char16_t* noun) {
    char16_t number[kMessageUnits];
    Format16(number, u"%%@comma[%u]", count);
    ExpandVariables(number, 1);
    EmitFormatted(u"%s %s", number, Pluralize(count, noun));
}

void EmitSource(const Finding& f) {
    if (!f.source) {
        return;
    }
    Emit(u"    ");
    Emit(f.source);
    Emit(u"\n    ");
    for (uint32_t i = 1; i < f.caret; ++i) {
        Emit(u" ");
    }
    Emit(u"^\n");
}

void EmitTextFinding(const ReportOptions* options, const char16_t* file, const Finding& f,
                     const Fix* fix) {
    EmitEscaped(file, kPlain);
    if (f.line) {
        EmitFormatted(u":%u", f.line);
        if (f.column) {
            EmitFormatted(u":%u", f.column);
        }
    }
    EmitFormatted(u": %s: ", SeverityName(f.severity));
    EmitEscaped(f.message, kPlain);
    EmitFormatted(u" [%s]\n", f.code);
    if (options->source) {
        EmitSource(f);
    }
    if (fix) {
        Emit(u"    fix: ");
        EmitEscaped(fix->what, kPlain);
        Emit(u"\n");
    }
}

void EmitJsonFinding(const char16_t* file, const Finding& f, const Fix* fix, bool first) {
    Emit(first ? u"\n    {\"file\": \"" : u",\n    {\"file\": \"");
    EmitEscaped(file, kJson);
    EmitFormatted(u"\", \"line\": %u, \"column\": %u, \"severity\": \"%s\", \"code\": \"%s\", "
                  u"\"message\": \"",
                  f.line, f.column, SeverityName(f.severity), f.code);
    EmitEscaped(f.message, kJson);
    if (fix) {
        Emit(u"\", \"fix\": \"");
        EmitEscaped(fix->what, kJson);
        Emit(u"\"}");
    } else {
        Emit(u"\", \"fix\": null}");
    }
}

void EmitGithubFinding(const char16_t* file, const Finding& f) {
    const char16_t* kind = f.severity == kSeverityNote ? u"notice" : SeverityName(f.severity);
    EmitFormatted(u"::%s file=", kind);
    EmitEscaped(file, kProperty);
    if (f.line) {
        EmitFormatted(u",line=%u", f.line);
        if (f.column) {
            EmitFormatted(u",col=%u", f.column);
        }
    }
    EmitFormatted(u",title=hintbar-check %s::", f.code);
    EmitEscaped(f.message, kData);
    Emit(u"\n");
}

void EmitBase64(const uint8_t* bytes, uint32_t count) {
    static const char16_t kDigits[] =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    char16_t out[5] = {0, 0, 0, 0, 0};
    for (uint32_t i = 0; i < count; i += 3) {
        uint32_t group = uint32_t{bytes[i]} << 16;
        group |= i + 1 < count ? uint32_t{bytes[i + 1]} << 8 : 0;
        group |= i + 2 < count ? bytes[i + 2] : 0;
        for (uint32_t k = 0; k < 4; ++k) {
            out[k] = i + k <= count ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : u'=';
        }
        Emit(out);
    }
}

// A safe fix as SARIF writes one: each edit a replacement, its region given both in lines
// and columns and in bytes, its new content both as text and as the bytes of the file's
// encoding.
void EmitSarifFix(const char16_t* file, const FixList& fixes, const Fix& fix) {
    Emit(u", \"fixes\": [{\"description\": {\"text\": \"");
    EmitEscaped(fix.what, kJson);
    Emit(u"\"}, \"artifactChanges\": [{\"artifactLocation\": {\"uri\": \"");
    EmitUri(file);
    Emit(u"\"}, \"replacements\": [");
    for (uint32_t i = 0; i < fix.count; ++i) {
        const FixEdit& e = fixes.edits[fix.first + i];
        EmitFormatted(u"%s{\"deletedRegion\": {\"startLine\": %u, \"startColumn\": %u, "
                      u"\"endColumn\": %u, \"byteOffset\": %u, \"byteLength\": %u}",
                      i ? u", " : u"", e.line, e.column, e.column + e.columns, e.offset, e.length);
        if (e.byteCount) {
            Emit(u", \"insertedContent\": {\"text\": \"");
            EmitEscaped(e.text, kJson);
            Emit(u"\", \"binary\": \"");
            EmitBase64(e.bytes, e.byteCount);
            Emit(u"\"}");
        }
        Emit(u"}");
    }
    Emit(u"]}]}]");
}

void EmitSarifResult(const char16_t* file, const Finding& f, const FixList& fixes, const Fix* fix) {
    Emit(g_first ? u"\n        {" : u",\n        {");
    g_first = false;
    EmitFormatted(u"\"ruleId\": \"%s\", \"level\": \"%s\", \"message\": {\"text\": \"", f.code,
                  SeverityName(f.severity));
    EmitEscaped(f.message, kJson);
    Emit(u"\"}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": \"");
    EmitUri(file);
    Emit(u"\"}");
    if (f.line) {
        EmitFormatted(u", \"region\": {\"startLine\": %u", f.line);
        if (f.column) {
            EmitFormatted(u", \"startColumn\": %u", f.column);
        }
        Emit(u"}");
    }
    Emit(u"}}]");
    if (fix) {
        EmitSarifFix(file, fixes, *fix);
    }
    Emit(u"}");
}

void BeginSarif(bool results) {
    Emit(u"{\"version\": \"2.1.0\", \"$schema\": "
         u"\"https://json.schemastore.org/sarif-2.1.0.json\",\n  \"runs\": [{\"tool\": "
         u"{\"driver\": {\"name\": \"hintbar-check\", ");
    EmitFormatted(u"\"version\": \"%u.%u.%u.%u\", \"rules\": [", kVersionMajor, kVersionMinor,
                  kVersionBuild, kVersionRevision);
    for (int i = 0; i < kCheckCodeCount; ++i) {
        const CheckCode& code = kCheckCodes[i];
        EmitFormatted(u"%s\n        {\"id\": \"%s\", \"shortDescription\": {\"text\": \"",
                      i ? u"," : u"", code.name);
        EmitEscaped(code.summary, kJson);
        Emit(u"\"}, \"fullDescription\": {\"text\": \"");
        EmitEscaped(code.explanation, kJson);
        // A code off by default is a rule that a run turns on.
        bool off = (CodesOffByDefault() & CodeBit(i)) != 0;
        EmitFormatted(u"\"}, \"defaultConfiguration\": {\"level\": \"%s\"%s}}",
                      SeverityName(code.severity), off ? u", \"enabled\": false" : u"");
    }
    Emit(u"]}},\n      \"columnKind\": \"unicodeCodePoints\",\n      \"results\": [");
    if (!results) {
        Emit(u"]}]}\n");
    }
}

// The findings a fix would mend: those of the codes reported.
uint32_t Fixable(const FindingList* findings) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < findings->fixes.count; ++i) {
        count += findings->fixes.items[i].code >= 0;
    }
    return count;
}

void EmitSummary(const ReportOptions* options, const char16_t* file, const FindingList* findings,
                 uint32_t functions) {
    const uint32_t* tally = findings->tally;
    EmitEscaped(file, kPlain);
    if (options->fixRun) {
        Emit(u": fixed ");
        EmitCount(findings->fixed, u"finding");
        Emit(u"; the plug-in loads ");
    } else {
        Emit(u": the plug-in loads ");
    }
    EmitFormatted(u"%s; ", FormatCount(functions));
    EmitCount(tally[kSeverityError], u"error");
    Emit(u", ");
    EmitCount(tally[kSeverityWarning], u"warning");
    Emit(u", ");
    EmitCount(tally[kSeverityNote], u"note");
    uint32_t fixable = options->fixRun ? 0 : Fixable(findings);
    if (fixable > 0) {
        Emit(u"; ");
        EmitCount(fixable, u"safe fix");
        Emit(u" (--fix, --diff)");
    }
    Emit(u"\n");
}

// Findings past the number listed of their code: one line that says how many.
void EmitUncounted(const char16_t* file, const FindingList* findings, const uint32_t* unlisted) {
    for (int code = 0; code < kCheckCodeCount; ++code) {
        uint32_t more = findings->uncounted[code] + unlisted[code];
        if (more == 0) {
            continue;
        }
        EmitEscaped(file, kPlain);
        Emit(u": note: ");
        EmitCount(more, u"more finding");
        EmitFormatted(u" of this code not listed [%s]\n", kCheckCodes[code].name);
    }
}

} // namespace

void Emit(const char16_t* text) {
    for (const char16_t* p = text; *p; ++p) {
        // Never between the halves of a surrogate pair: each piece is converted on its own.
        bool low = IsLowSurrogate(*p);
        if (g_length + 2 >= kPendingUnits && !low) {
            FlushOutput();
        }
        g_pending[g_length++] = *p;
    }
}

void EmitFormatted(const char16_t* format, ...) {
    char16_t text[kMessageUnits];
    va_list args;
    va_start(args, format);
    Format16V(text, format, args);
    va_end(args);
    Emit(text);
}

void SendReportToError() {
    FlushOutput();
    g_stream = kStdError;
}

void FlushOutput() {
    g_pending[g_length] = 0;
    if (!PlatformWriteStandard(g_stream, g_pending)) {
        g_failed = true;
    }
    g_length = 0;
}

void EmitError(const char16_t* text) {
    FlushOutput();
    // A message that cannot reach standard error has nowhere else to go.
    static_cast<void>(PlatformWriteStandard(kStdError, text));
}

void EmitJsonText(const char16_t* text) {
    EmitEscaped(text, kJson);
}

bool OutputFailed() {
    return g_failed;
}

void BeginReport(const ReportOptions* options) {
    g_first = true;
    g_hidden[0] = g_hidden[1] = g_hidden[2] = 0;
    g_errors = 0;
    if (options->format == kFormatJson) {
        Emit(u"{\"files\": [");
    } else if (options->format == kFormatSarif) {
        BeginSarif(true);
    }
}

void WriteFileReport(const ReportOptions* options, const char16_t* file,
                     const FindingList* findings, uint32_t functions) {
    const uint32_t* tally = findings->tally;
    int format = options->format;
    g_errors += tally[kSeverityError];
    if (format == kFormatJson) {
        Emit(g_first ? u"\n  {\"file\": \"" : u",\n  {\"file\": \"");
        EmitEscaped(file, kJson);
        EmitFormatted(u"\", \"functions\": %u, \"errors\": %u, \"warnings\": %u, \"notes\": %u, ",
                      functions, tally[kSeverityError], tally[kSeverityWarning],
                      tally[kSeverityNote]);
        if (options->fixRun) {
            EmitFormatted(u"\"fixed\": %u, ", findings->fixed);
        }
        Emit(u"\"findings\": [");
        g_first = false;
    }
    bool first = true;
    bool capped = format == kFormatText || format == kFormatGithub;
    uint32_t listed[64] = {};
    uint32_t unlisted[64] = {};
    for (uint32_t i = 0; i < findings->count; ++i) {
        const Finding& f = findings->items[i];
        if (options->quiet && f.severity != kSeverityError) {
            ++g_hidden[f.severity];
            continue;
        }
        int code = FindCheckCode(f.code, Str16Len(f.code));
        if (capped && listed[code]++ >= kFindingsPerCode) {
            ++unlisted[code];
            continue;
        }
        // After --fix, what is left has no fix to offer: it was made, or it was left out.
        const Fix* fix = options->fixRun ? nullptr : FixOf(findings, f);
        if (format == kFormatJson) {
            EmitJsonFinding(file, f, fix, first);
        } else if (format == kFormatGithub) {
            EmitGithubFinding(file, f);
        } else if (format == kFormatSarif) {
            EmitSarifResult(file, f, findings->fixes, fix);
        } else {
            EmitTextFinding(options, file, f, fix);
        }
        first = false;
    }
    for (int code = 0; options->quiet && code < kCheckCodeCount; ++code) {
        if (kCheckCodes[code].severity != kSeverityError) {
            g_hidden[kCheckCodes[code].severity] += findings->uncounted[code];
        }
    }
    if (findings->incomplete) { // GCOVR_EXCL_BR_LINE: set only when the C heap fails
        EmitError(u"hintbar-check: out of memory: some findings are missing\n");
    }
    if (format == kFormatJson) {
        Emit(first ? u"]}" : u"\n  ]}");
    } else if (format != kFormatSarif && !options->quiet) {
        EmitUncounted(file, findings, unlisted);
        EmitSummary(options, file, findings, functions);
    }
}

void EndReport(const ReportOptions* options, const uint32_t* statistics) {
    int format = options->format;
    if (format == kFormatJson) {
        Emit(g_first ? u"]" : u"\n]"); // GCOVR_EXCL_BR_LINE: a run has at least one file
        if (statistics) {
            Emit(u", \"statistics\": {");
            bool first = true;
            for (int code = 0; code < kCheckCodeCount; ++code) {
                if (statistics[code] > 0) {
                    EmitFormatted(u"%s\"%s\": %u", first ? u"" : u", ", kCheckCodes[code].name,
                                  statistics[code]);
                    first = false;
                }
            }
            Emit(u"}");
        }
        Emit(u"}\n");
    } else if (format == kFormatSarif) {
        Emit(g_first ? u"]}]}\n" : u"\n      ]}]}\n");
    } else if (statistics) {
        for (int code = 0; code < kCheckCodeCount; ++code) {
            if (statistics[code] > 0) {
                char16_t number[kMessageUnits];
                Format16(number, u"%%@comma[%u]", statistics[code]);
                ExpandVariables(number, 1);
                EmitFormatted(u"%9s  %-16s %-8s %s\n", number, kCheckCodes[code].name,
                              SeverityName(kCheckCodes[code].severity), kCheckCodes[code].summary);
            }
        }
    }
    // What --quiet left out that fails the run when nothing shown does: the status must never
    // come unexplained. The errors it shows fail the run by themselves.
    uint32_t failing = 0;
    for (int32_t severity = options->failOn; severity < kSeverityError; ++severity) {
        failing += g_hidden[severity];
    }
    bool shownFail = g_errors > 0 && options->failOn <= kSeverityError;
    if (options->quiet && failing > 0 && !shownFail &&
        (format == kFormatText || format == kFormatGithub)) {
        Emit(u"hintbar-check: the run fails on ");
        EmitCount(failing, u"warning");
        Emit(u" that --quiet does not show\n");
    }
    FlushOutput();
}

void WriteCodeList(int format) {
    if (format == kFormatSarif) {
        BeginSarif(false);
    } else if (format == kFormatJson) {
        Emit(u"{\"codes\": [");
    }
    for (int i = 0; i < kCheckCodeCount; ++i) {
        const CheckCode& code = kCheckCodes[i];
        bool off = (CodesOffByDefault() & CodeBit(i)) != 0;
        if (format == kFormatJson) {
            EmitFormatted(u"%s\n  {\"code\": \"%s\", \"severity\": \"%s\", \"summary\": \"",
                          i ? u"," : u"", code.name, SeverityName(code.severity));
            EmitEscaped(code.summary, kJson);
            Emit(u"\", \"fix\": ");
            if (code.fix) {
                Emit(u"\"");
                EmitEscaped(code.fix, kJson);
                Emit(u"\"");
            } else {
                Emit(u"null");
            }
            Emit(off ? u", \"enabled\": false}" : u"}");
        } else if (format != kFormatSarif) {
            EmitFormatted(u"%-15s %-8s %-4s %s%s\n", code.name, SeverityName(code.severity),
                          code.fix ? u"fix" : u"", code.summary,
                          off ? u" (off unless --select names it)" : u"");
        }
    }
    if (format == kFormatJson) {
        Emit(u"\n]}\n");
    } else if (format == kFormatText) {
        Emit(u"\n\"fix\": --fix mends such a finding where it can do so safely;"
             u" --explain CODE says more.\n");
    }
    FlushOutput();
}
