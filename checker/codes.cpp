// The codes of the findings and their explanations. The order is the order of --statistics
// and of the rules in a SARIF log; new codes go at the end, so that the order stays.
#include "checker/codes.h"

#include "base/limits.h"
#include "base/text16.h"
#include "checker/findings.h"

const CheckCode kCheckCodes[] = {
    {u"open", kSeverityError, u"the file cannot be read",
     u"The system would not open or read the file. The plug-in then loads nothing and keeps the "
     u"help it had. Check the name and the file's permissions.",
     nullptr},
    {u"not-found", kSeverityError, u"hbar /L refuses the name",
     u"\"hbar /L\" loads only an existing file that is neither a directory nor a device; for "
     u"anything else it says \"File not found\" and loads nothing. A directory stands for the "
     u"Hintbar.txt in it. Name the help file itself.",
     nullptr},
    {u"empty", kSeverityError, u"the file is empty",
     u"An empty file gives the plug-in nothing to load: it says \"No functions found\", as of a "
     u"file without entries. Write at least one line of the form \"@NAME[arguments] - "
     u"description\".",
     nullptr},
    {u"no-entries", kSeverityError, u"no line is an entry",
     u"The plug-in loads a line only when it begins, after any blanks, with \"@\", a name and "
     u"\"[\". When no line does, it says \"No functions found\" and loads nothing. The other "
     u"findings say which lines came close.",
     nullptr},
    {u"name-start", kSeverityError, u"a name that begins with no letter",
     u"A name begins with a letter; \"_\", \"$\" and digits may only follow. The plug-in passes "
     u"the line over as ordinary text. Begin the name with a letter.",
     nullptr},
    {u"name-too-long", kSeverityError, u"a name of more than 47 characters",
     u"A name holds at most 47 characters; the plug-in passes a line with a longer one over. "
     u"Shorten the name.",
     nullptr},
    {u"name-character", kSeverityError, u"a character that may not stand in a name",
     u"A name holds letters, digits, \"_\" and \"$\" and ends at the \"[\". Any other character "
     u"ends it early, and the line is passed over because no \"[\" follows the name. Remove the "
     u"character or write the name without it.",
     nullptr},
    {u"no-bracket", kSeverityError, u"no \"[\" right after the name",
     u"The \"[\" must follow the name at once: with a blank between, another kind of bracket or "
     u"none at all, the plug-in passes the line over. Write \"@NAME[\".",
     u"removes the blanks between the name and its \"[\""},
    {u"marker", kSeverityError,
     u"a line meant as an entry whose \"@\" is not where the plug-in "
     u"looks",
     u"The plug-in takes a line as an entry only when nothing but blanks stands before the \"@\" "
     u"and the name follows it at once. An invisible character or a byte-order mark before it "
     u"(as joining files with \"cat\" gives), a blank after it, \"%@\" or \"@@\", and the "
     u"fullwidth forms of \"@\" and \"[\" all make it pass the line over. Remove what stands in "
     u"the way, or write the plain ASCII characters.",
     u"removes what stands before \"@\" and the \"%\" of \"%@\", a blank or second \"@\" after it, "
     u"and writes a fullwidth \"@\" or \"[\" in ASCII"},
    {u"unbalanced", kSeverityWarning, u"a \"[\" that no \"]\" balances",
     u"The syntax line runs to the \"]\" that balances the first \"[\". When none does, the "
     u"whole line becomes the syntax line and the function has no description. Close every "
     u"bracket.",
     nullptr},
    {u"separator", kSeverityWarning, u"a minus sign read as the separator",
     u"A run of \"-\" (or one hyphen) after the syntax line is the separator, even with no blank "
     u"after it, so a description that begins \"-1\" loses its sign. Put a separator first: "
     u"\"@NEG[n] - -1 when missing\".",
     u"puts a separator before the description: \"- -1 when missing\""},
    {u"debris", kSeverityWarning, u"a description that begins with syntax",
     u"The description begins where the syntax line's brackets balance. A stray \"]\" or \")\" "
     u"left after it is shown as the start of the description. Remove it, or balance the "
     u"brackets within the syntax line.",
     nullptr},
    {u"control", kSeverityWarning, u"control characters in the shown text",
     u"The status bar cannot show control characters; they appear as boxes or not at all. "
     u"Use \"\u00b6\" for a new line and \"\u00ac\" for a tab, and remove the others.",
     nullptr},
    {u"decode", kSeverityWarning, u"bytes that do not decode",
     u"Bytes that are not valid in the encoding the file is read in show as U+FFFD, the "
     u"replacement character. Save the file in one encoding, preferably UTF-8 with a "
     u"byte-order mark.",
     nullptr},
    {u"replacement", kSeverityWarning, u"U+FFFD or a lone surrogate in the text",
     u"The text already holds U+FFFD, or half of a surrogate pair that shows as U+FFFD: "
     u"something was lost before the file was written. Write the characters again.",
     nullptr},
    {u"nul", kSeverityWarning, u"a NUL character inside a line",
     u"A NUL ends a line for the plug-in: what follows it is read as a line of its own, and a "
     u"description is cut there. Remove the NUL.",
     nullptr},
    {u"line-too-long", kSeverityWarning, u"a line of more than 8,191 characters",
     u"The plug-in reads the first 8,191 UTF-16 units of a line and drops the rest. Shorten the "
     u"line.",
     nullptr},
    {u"syntax-too-long", kSeverityWarning, u"a syntax line of more than 1,023 characters",
     u"The plug-in keeps the first 1,023 UTF-16 units of a syntax line. Shorten it, or move "
     u"text into the description.",
     nullptr},
    {u"utf8-too-long", kSeverityWarning, u"a text too long for its UTF-8 copy",
     u"The plug-in keeps a syntax line in 2,047 bytes of UTF-8 and a description in 16,383; "
     u"text rich in characters beyond ASCII can need more, and the end is cut at a character. "
     u"Shorten the text.",
     nullptr},
    {u"help-too-long", kSeverityWarning, u"help too long for the status bar",
     u"The status bar's text holds 8,191 UTF-16 units: the syntax line, a line break, an empty "
     u"line and the description. What does not fit is not shown. Shorten the description.",
     nullptr},
    {u"duplicate", kSeverityWarning, u"a name defined again later",
     u"When a name comes twice, the later line replaces the earlier one entirely, description "
     u"included. Remove or rename one of them, or mark the earlier line as intended with a line "
     u"\"# hintbar-check: ignore duplicate\" before it.",
     nullptr},
    {u"stray-byte", kSeverityWarning, u"one stray byte sends a UTF-8 file to the code page",
     u"A file without a byte-order mark is read as UTF-8 only when all of its first 256 KiB are "
     u"valid UTF-8. One stray byte, such as a dash pasted from another program, makes the "
     u"plug-in read the whole file in the ANSI code page, and every accented letter then shows "
     u"as two or three wrong characters. Replace the byte, and save the file with a byte-order "
     u"mark.",
     u"writes each stray byte as the UTF-8 of its character, so that the file reads as UTF-8"},
    {u"add-bom", kSeverityWarning, u"an encoding guessed from statistics",
     u"Without a byte-order mark the plug-in guesses the encoding from the first bytes, and "
     u"the guess can go wrong when the file changes. Save the file with a byte-order mark.",
     u"adds the byte-order mark of the encoding the file is read in, where a guess chose it"},
    {u"late-utf8", kSeverityWarning, u"UTF-8 after a long ASCII start",
     u"The plug-in looks at the first 256 KiB to tell UTF-8 from the code page. When they are "
     u"all ASCII, UTF-8 after them is read in the code page. Save the file with a byte-order "
     u"mark.",
     nullptr},
    {u"no-description", kSeverityNote, u"a function without a description",
     u"The status bar shows only the syntax line. Add \" - \" and a description after it.",
     nullptr},
    {u"encoding", kSeverityNote, u"the encoding the file is read in",
     u"Says which encoding the plug-in reads the file in, and what decided it: a byte-order "
     u"mark, the statistics of the first bytes, or the system's code page.",
     nullptr},
    {u"argument-line", kSeverityWarning, u"an argument without a description line of its own",
     u"When help follows the typing, the plug-in marks the argument being typed in the syntax "
     u"line and also its own line in the description: the line that begins with the "
     u"argument's name and a tab, "
     u"as \"n\u00acthe count\" under \"@LEFT[n,string]\". An argument whose name begins no "
     u"line is marked in the syntax line alone. Add a line for it after a \"\u00b6\". This "
     u"code is off unless --select names it.",
     nullptr},
};

const int kCheckCodeCount = static_cast<int>(sizeof kCheckCodes / sizeof kCheckCodes[0]);
static_assert(sizeof kCheckCodes / sizeof kCheckCodes[0] <= 64, "a CodeSet has a bit for each");

CodeSet CodesOffByDefault() {
    return CodeBit(FindCheckCode(u"argument-line", 13));
}

int FindCheckCode(const char16_t* name, size_t length) {
    if (!name) {
        return -1;
    }
    for (int i = 0; i < kCheckCodeCount; ++i) {
        const char16_t* code = kCheckCodes[i].name;
        if (Str16Len(code) != length) {
            continue;
        }
        size_t k = 0;
        while (k < length && code[k] == name[k]) {
            ++k;
        }
        if (k == length) {
            return i;
        }
    }
    return -1;
}

bool ParseCodeList(const char16_t* list, CodeSet* set, char16_t* unknown) {
    *set = 0;
    const char16_t* p = list ? list : u"";
    do {
        const char16_t* end = p;
        while (*end && *end != u',') {
            ++end;
        }
        auto length = static_cast<size_t>(end - p);
        int index = FindCheckCode(p, length);
        if (index < 0) {
            size_t shown = length < kMessageUnits - 1 ? length : kMessageUnits - 1;
            for (size_t i = 0; i < shown; ++i) {
                unknown[i] = p[i];
            }
            unknown[shown] = 0;
            return false;
        }
        *set |= CodeBit(index);
        p = *end ? end + 1 : end;
    } while (*p);
    return true;
}
