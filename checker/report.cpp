// The report's forms. Lines read "FILE:LINE:COLUMN: severity: message [code]", as an editor
// or a CI log expects, with the source line and a caret under them; JSON gives the same
// fields as one record per finding; "github" gives workflow annotations; SARIF gives one run
// with a rule per code.
#include "checker/report.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/messages.h"
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
bool g_failed = false;

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
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            character[1] = *++p;
        }
        size_t n = Utf16ToUtf8(character, bytes, sizeof bytes);
        for (size_t i = 0; i < n; ++i) {
            EmitFormatted(u"%%%02X", static_cast<unsigned char>(bytes[i]));
        }
    }
}

// "1,234 errors": a count grouped and worded as the plug-in words its counts.
void EmitCount(uint32_t count, const char16_t* noun) {
    char16_t number[kMessageUnits];
    Format16(number, kMessageUnits, u"%%@comma[%u]", count);
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

void EmitTextFinding(const ReportOptions* options, const char16_t* file, const Finding& f) {
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
}

void EmitJsonFinding(const char16_t* file, const Finding& f, bool first) {
    Emit(first ? u"\n    {\"file\": \"" : u",\n    {\"file\": \"");
    EmitEscaped(file, kJson);
    EmitFormatted(u"\", \"line\": %u, \"column\": %u, \"severity\": \"%s\", \"code\": \"%s\", "
                  u"\"message\": \"",
                  f.line, f.column, SeverityName(f.severity), f.code);
    EmitEscaped(f.message, kJson);
    Emit(u"\"}");
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

void EmitSarifResult(const char16_t* file, const Finding& f) {
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
    Emit(u"}}]}");
}

void BeginSarif() {
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
        EmitFormatted(u"\"}, \"defaultConfiguration\": {\"level\": \"%s\"}}",
                      SeverityName(code.severity));
    }
    Emit(u"]}},\n      \"columnKind\": \"unicodeCodePoints\",\n      \"results\": [");
}

void EmitSummary(const char16_t* file, const FindingList* findings, uint32_t functions) {
    const uint32_t* tally = findings->tally;
    EmitEscaped(file, kPlain);
    Emit(u": the plug-in loads ");
    EmitFormatted(u"%s; ", FormatCount(functions));
    EmitCount(tally[kSeverityError], u"error");
    Emit(u", ");
    EmitCount(tally[kSeverityWarning], u"warning");
    Emit(u", ");
    EmitCount(tally[kSeverityNote], u"note");
    Emit(u"\n");
}

// Findings past the number kept of their code: one line that says how many.
void EmitUncounted(const char16_t* file, const FindingList* findings) {
    for (int code = 0; code < kCheckCodeCount; ++code) {
        if (findings->uncounted[code] == 0) {
            continue;
        }
        EmitEscaped(file, kPlain);
        Emit(u": note: ");
        EmitCount(findings->uncounted[code], u"more finding");
        EmitFormatted(u" of this code not listed [%s]\n", kCheckCodes[code].name);
    }
}

} // namespace

void Emit(const char16_t* text) {
    for (const char16_t* p = text; *p; ++p) {
        // Never between the halves of a surrogate pair: each piece is converted on its own.
        bool low = *p >= 0xDC00 && *p <= 0xDFFF;
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
    Format16V(text, kMessageUnits, format, args);
    va_end(args);
    Emit(text);
}

void FlushOutput() {
    g_pending[g_length] = 0;
    if (!PlatformWriteStandard(kStdOutput, g_pending)) {
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
    if (options->format == kFormatJson) {
        Emit(u"{\"files\": [");
    } else if (options->format == kFormatSarif) {
        BeginSarif();
    }
}

void WriteFileReport(const ReportOptions* options, const char16_t* file,
                     const FindingList* findings, uint32_t functions) {
    const uint32_t* tally = findings->tally;
    int format = options->format;
    if (format == kFormatJson) {
        Emit(g_first ? u"\n  {\"file\": \"" : u",\n  {\"file\": \"");
        EmitEscaped(file, kJson);
        EmitFormatted(u"\", \"functions\": %u, \"errors\": %u, \"warnings\": %u, \"notes\": %u, "
                      u"\"findings\": [",
                      functions, tally[kSeverityError], tally[kSeverityWarning],
                      tally[kSeverityNote]);
        g_first = false;
    }
    bool first = true;
    for (uint32_t i = 0; i < findings->count; ++i) {
        const Finding& f = findings->items[i];
        if (options->quiet && f.severity != kSeverityError) {
            ++g_hidden[f.severity];
            continue;
        }
        if (format == kFormatJson) {
            EmitJsonFinding(file, f, first);
        } else if (format == kFormatGithub) {
            EmitGithubFinding(file, f);
        } else if (format == kFormatSarif) {
            EmitSarifResult(file, f);
        } else {
            EmitTextFinding(options, file, f);
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
        EmitUncounted(file, findings);
        EmitSummary(file, findings, functions);
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
                Format16(number, kMessageUnits, u"%%@comma[%u]", statistics[code]);
                ExpandVariables(number, 1);
                EmitFormatted(u"%9s  %-16s %-8s %s\n", number, kCheckCodes[code].name,
                              SeverityName(kCheckCodes[code].severity), kCheckCodes[code].summary);
            }
        }
    }
    // What --quiet left out that still fails the run: the status must never come unexplained.
    uint32_t failing = 0;
    for (int32_t severity = options->failOn; severity < kSeverityError; ++severity) {
        failing += g_hidden[severity];
    }
    if (options->quiet && failing > 0 && (format == kFormatText || format == kFormatGithub)) {
        Emit(u"hintbar-check: the run fails on ");
        EmitCount(failing, u"warning");
        Emit(u" that --quiet does not show\n");
    }
    FlushOutput();
}
