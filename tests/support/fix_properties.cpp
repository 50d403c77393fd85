// The promises of --fix, checked with the checker's reading of the bytes before and after and
// nothing of the fixing code but its outcome: the lines a fix may touch are those the reading
// gives a selected fix, in the file's old encoding or in the one it is read in once mended.
#include "tests/support/fix_properties.h"

#include "checker/file_check.h"
#include "checker/fix_apply.h"
#include "checker/unified_diff.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

const uint8_t* Data(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

uint32_t Size(const std::string& bytes) {
    return static_cast<uint32_t>(bytes.size());
}

// A check of bytes, released when it goes.
struct Checked {
    FindingList findings = {};
    CheckResult result = {};
    int status = 0;
    Checked(const std::string& bytes, const Encoding* forced) {
        findings.keepAll = true;
        status = CheckHelpBytes(Data(bytes), Size(bytes), forced, &findings, &result);
    }
    ~Checked() {
        ReleaseFindings(&findings);
        ReleaseCheckResult(&result);
    }
    Checked(const Checked&) = delete;
    Checked& operator=(const Checked&) = delete;
};

// A mending, released when it goes.
struct Mended {
    FixOutcome out = {};
    int status = 0;
    Mended(const std::string& bytes, CodeSet codes) {
        status = FixHelpBytes(Data(bytes), Size(bytes), codes, &out);
    }
    ~Mended() { ReleaseFixOutcome(&out); }
    Mended(const Mended&) = delete;
    Mended& operator=(const Mended&) = delete;
    std::string Bytes() const {
        return out.data ? std::string(reinterpret_cast<const char*>(out.data), out.size) : "";
    }
};

using Key = std::pair<uint32_t, std::u16string>; // a finding's line and code

// The selected findings that have a fix, by line and code.
std::set<Key> Fixable(const FindingList& findings, CodeSet codes) {
    std::set<Key> keys;
    for (uint32_t i = 0; i < findings.count; ++i) {
        const Finding& f = findings.items[i];
        const Fix* fix = FixOf(&findings, f);
        if (fix && (codes & CodeBit(fix->code)) != 0) {
            keys.emplace(f.line, f.code);
        }
    }
    return keys;
}

// The lines where a selected fix has an edit; a mark (an edit of no line) counts as line 1.
std::set<uint32_t> EditLines(const FindingList& findings, CodeSet codes) {
    std::set<uint32_t> lines;
    for (uint32_t i = 0; i < findings.fixes.count; ++i) {
        const Fix* fix = ActiveFix(&findings.fixes, i);
        for (uint32_t e = 0; fix && (codes & CodeBit(fix->code)) != 0 && e < fix->count; ++e) {
            lines.insert(std::max(findings.fixes.edits[fix->first + e].line, 1u));
        }
    }
    return lines;
}

// Whether bytes are UTF-8 throughout: what a stray byte's fix leaves alone.
bool WellFormedUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        auto b = static_cast<uint8_t>(text[i]);
        size_t length = b < 0x80                ? 1
                        : b >= 0xC2 && b < 0xE0 ? 2
                        : b >= 0xE0 && b < 0xF0 ? 3
                        : b >= 0xF0 && b < 0xF5 ? 4
                                                : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// How many warnings and errors of each line and code.
std::map<Key, int> Serious(const FindingList& findings) {
    std::map<Key, int> counts;
    for (uint32_t i = 0; i < findings.count; ++i) {
        const Finding& f = findings.items[i];
        if (f.severity >= kSeverityWarning) {
            ++counts[Key(f.line, f.code)];
        }
    }
    return counts;
}

// The bytes of each line as the plug-in reads the file, line break included, by number.
std::map<uint32_t, std::string> LineBytes(const std::string& bytes) {
    std::vector<std::pair<uint32_t, uint32_t>> starts; // number, first byte
    TextSource source = {};
    if (OpenTextBytes(&source, Data(bytes), Size(bytes)).outcome == SourceOpen::Opened) {
        std::vector<char16_t> line(kLineUnits);
        TextLineReport report = {};
        while (ReadTextLineReported(&source, line, &report) == LineRead::Line) {
            if (starts.empty() || starts.back().first != report.number) {
                starts.emplace_back(report.number, report.start);
            }
        }
    }
    CloseTextSource(&source);
    std::map<uint32_t, std::string> lines;
    for (size_t i = 0; i < starts.size(); ++i) {
        uint32_t end = i + 1 < starts.size() ? starts[i + 1].second : Size(bytes);
        uint32_t from = starts[i].second < end ? starts[i].second : end;
        lines[starts[i].first] = bytes.substr(from, end - from);
    }
    return lines;
}

// The characters of each line as the plug-in reads it, by number; lines that a NUL parts, or
// that are cut at the reader's limit, are left out.
std::map<uint32_t, std::u32string> LineTexts(const std::string& bytes) {
    std::map<uint32_t, std::u32string> lines;
    std::set<uint32_t> parted;
    TextSource source = {};
    if (OpenTextBytes(&source, Data(bytes), Size(bytes)).outcome == SourceOpen::Opened) {
        std::vector<char16_t> line(kLineUnits);
        TextLineReport report = {};
        while (ReadTextLineReported(&source, line, &report) == LineRead::Line) {
            std::u32string text;
            for (size_t i = 0; line[i]; ++i) {
                char32_t c = line[i];
                if (c >= 0xD800 && c <= 0xDBFF && line[i + 1] >= 0xDC00 && line[i + 1] <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (line[++i] - 0xDC00);
                }
                text += c;
            }
            bool whole = report.length == std::char_traits<char16_t>::length(line.data());
            if (lines.count(report.number) || report.column > 0 || report.endsInNul || !whole) {
                parted.insert(report.number);
            }
            lines[report.number] = text;
        }
    }
    CloseTextSource(&source);
    for (uint32_t number : parted) {
        lines.erase(number);
    }
    return lines;
}

// Each line that the selected fixes of a reading edit, as those edits say it becomes: its
// characters [column, column + columns) replaced by each edit's text. Lines whose edits
// overlap are left out.
std::map<uint32_t, std::u32string> EditedLines(const FindingList& findings, CodeSet codes,
                                               std::map<uint32_t, std::u32string> lines) {
    std::map<uint32_t, std::vector<const FixEdit*>> edits;
    for (uint32_t i = 0; i < findings.fixes.count; ++i) {
        const Fix* fix = ActiveFix(&findings.fixes, i);
        bool chosen = fix && fix->line != 0 && (codes & CodeBit(fix->code)) != 0;
        for (uint32_t e = 0; chosen && e < fix->count; ++e) {
            const FixEdit& edit = findings.fixes.edits[fix->first + e];
            edits[edit.line].push_back(&edit);
        }
    }
    std::map<uint32_t, std::u32string> edited;
    for (auto& [number, list] : edits) {
        std::sort(list.begin(), list.end(), [](const FixEdit* a, const FixEdit* b) {
            return a->column != b->column ? a->column > b->column : a->columns > b->columns;
        });
        auto found = lines.find(number);
        bool apart = found != lines.end();
        for (size_t k = 0; apart && k + 1 < list.size(); ++k) {
            apart = list[k + 1]->column + list[k + 1]->columns <= list[k]->column &&
                    list[k + 1]->column != list[k]->column;
        }
        if (!apart) {
            continue;
        }
        std::u32string text = found->second;
        for (const FixEdit* edit : list) { // from the end of the line back
            std::u32string put;
            for (const char16_t* p = edit->text; *p; ++p) {
                put += *p;
            }
            if (edit->column == 0 || edit->column - 1 + edit->columns > text.size()) {
                text = U"(an edit outside its line)";
                break;
            }
            text.replace(edit->column - 1, edit->columns, put);
        }
        edited[number] = text;
    }
    return edited;
}

std::string Said(const char* what, const Key& key) {
    char text[160];
    std::string code(key.second.begin(), key.second.end());
    snprintf(text, sizeof text, "%s: line %u [%s]", what, key.first, code.c_str());
    return text;
}

// The diff's lines, each with its LF.
std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

} // namespace

bool ApplyDiffStrictly(const std::string& before, const std::string& diff, std::string* after,
                       std::string* why) {
    constexpr uint32_t kContext = 3;
    std::vector<std::string> old = Split(before);
    std::vector<std::string> lines = Split(diff);
    *after = before;
    if (diff.empty()) {
        return true;
    }
    if (lines.size() < 3 || lines[0].rfind("--- ", 0) != 0 || lines[1].rfind("+++ ", 0) != 0) {
        *why = "no headers";
        return false;
    }
    std::string made;
    uint32_t at = 0;         // old lines used so far
    uint32_t lastChange = 0; // 1 + the old line after the last change of the hunk before
    for (size_t i = 2; i < lines.size();) {
        unsigned oldStart = 0, oldCount = 0, newStart = 0, newCount = 0;
        if (sscanf(lines[i].c_str(), "@@ -%u,%u +%u,%u @@", &oldStart, &oldCount, &newStart,
                   &newCount) != 4) {
            *why = "a hunk header expected: " + lines[i];
            return false;
        }
        ++i;
        uint32_t from = oldCount ? oldStart - 1 : oldStart;
        if (from < at || from > old.size()) {
            *why = "hunks out of order or overlapping: " + lines[i - 1];
            return false;
        }
        for (; at < from; ++at) {
            made += old[at];
        }
        uint32_t removed = 0;
        uint32_t added = 0;
        uint32_t lead = 0;  // context lines before the hunk's first change
        uint32_t trail = 0; // context lines after its last change
        bool changed = false;
        uint32_t firstChange = 0;
        while (i < lines.size() && lines[i].rfind("@@ ", 0) != 0) {
            std::string line = lines[i++];
            std::string text = line.substr(1);
            if (i < lines.size() && lines[i] == "\\ No newline at end of file\n") {
                text.pop_back();
                ++i;
            }
            char mark = line[0];
            if (mark == ' ' || mark == '-') {
                if (at >= old.size() || old[at] != text) {
                    *why = "the context or removed line does not match: " + line;
                    return false;
                }
                ++at;
                ++removed;
            }
            if (mark == ' ' || mark == '+') {
                made += text;
                ++added;
            }
            if (mark != ' ' && mark != '-' && mark != '+') {
                *why = "not a line of a hunk: " + line;
                return false;
            }
            if (mark == ' ') {
                lead += changed ? 0 : 1;
                ++trail;
            } else {
                firstChange = changed ? firstChange : at - (mark == '-');
                changed = true;
                trail = 0;
            }
        }
        uint32_t room = static_cast<uint32_t>(old.size()) - (at - trail);
        bool fullLead = lead == std::min(kContext, firstChange);
        bool fullTrail = trail == std::min(kContext, room);
        if (removed != oldCount || added != newCount || !changed || !fullLead || !fullTrail) {
            *why = "a hunk whose counts or context are wrong";
            return false;
        }
        // diff gives changes whose context would meet one hunk.
        if (lastChange > 0 && firstChange - (lastChange - 1) <= 2 * kContext) {
            *why = "two hunks that diff would have merged";
            return false;
        }
        lastChange = at - trail + 1;
    }
    for (; at < old.size(); ++at) {
        made += old[at];
    }
    *after = made;
    return true;
}

std::string FixPropertyViolation(const std::string& bytes, CodeSet codes, std::string* mended) {
    Mended first(bytes, codes);
    if (mended) {
        *mended = first.Bytes();
    }
    if (first.status != 0) {
        return "FixHelpBytes failed";
    }
    const FixOutcome& out = first.out;
    Checked was(bytes, nullptr);
    if (was.status != 0) {
        return "the check of the file failed";
    }
    bool toldLeftOut = out.leftOutCount > 0;
    std::string now = first.Bytes();
    Checked is(out.data ? now : bytes, nullptr);
    if (is.status != 0) {
        return "the check of the mended file failed";
    }
    if (out.refused) {
        return out.data || out.fixed != 0 ? "a refused file mended" : "";
    }
    // Each selected fix left undone is one the outcome says it left out, and counts.
    std::set<Key> left = Fixable(is.findings, codes);
    std::set<Key> named;
    for (uint32_t i = 0; i < out.leftOutCount && i < kLeftOutKept; ++i) {
        named.emplace(out.leftOut[i].line, kCheckCodes[out.leftOut[i].code].name);
    }
    for (const Key& key : left) {
        if (named.count(key) == 0 && out.leftOutCount <= kLeftOutKept) {
            return Said("a fix undone and not said to be left out", key);
        }
    }
    if (left.size() > out.leftOutCount) {
        return "more fixes undone than said to be left out";
    }
    if (!out.data) {
        return out.fixed != 0 ? "findings said fixed in a file not mended" : "";
    }
    if (now == bytes) {
        return "a mended file the same as the file";
    }
    if (out.fixed == 0) {
        return "a mended file with no finding fixed";
    }
    if (is.result.count < was.result.count) {
        return "fewer functions";
    }
    std::map<Key, int> before = Serious(was.findings);
    for (const auto& [key, count] : Serious(is.findings)) {
        if (count > before[key]) {
            return Said("a new warning or error", key);
        }
    }
    // Lines no fix touched keep their bytes: those where no selected fix has an edit, read as
    // the file was read and as it is read once mended, and, when the mended file is read
    // anew, that were UTF-8 throughout (stray bytes become UTF-8).
    std::set<uint32_t> touched = EditLines(was.findings, codes);
    Checked anew(bytes, &is.result.encoding);
    for (uint32_t line : EditLines(anew.findings, codes)) {
        touched.insert(line);
    }
    std::map<uint32_t, std::string> oldLines = LineBytes(bytes);
    for (const auto& [number, text] : oldLines) {
        if (is.result.encoding != was.result.encoding && !WellFormedUtf8(text)) {
            touched.insert(number);
        }
    }
    std::map<uint32_t, std::string> newLines = LineBytes(now);
    if (oldLines.size() != newLines.size()) {
        return "a mended file of another number of lines";
    }
    size_t planned = 0;
    for (uint32_t i = 0; i < was.findings.fixes.count; ++i) {
        const Fix* fix = ActiveFix(&was.findings.fixes, i);
        planned += fix && (codes & CodeBit(fix->code)) != 0;
    }
    // More fixed than the file offered: later rounds mended what the first ones revealed, on
    // lines the outcome does not name, so only the lines of a one-round mending are known.
    for (const auto& [number, text] : oldLines) {
        if (out.fixed <= planned && touched.count(number) == 0 && newLines[number] != text) {
            return Said("a line no fix touched changed", Key(number, u""));
        }
    }
    // When every fix was made at once in the file's own encoding, each line is what its
    // fixes' edits, in characters, say it becomes.
    if (out.fixed == planned && !toldLeftOut && is.result.encoding == was.result.encoding) {
        std::map<uint32_t, std::u32string> texts = LineTexts(now);
        for (const auto& [number, text] : EditedLines(was.findings, codes, LineTexts(bytes))) {
            if (texts.count(number) && texts[number] != text) {
                return Said("a line not as its fixes' edits say", Key(number, u""));
            }
        }
    }
    // Mended again, nothing changes.
    Mended second(now, codes);
    if (second.status != 0) {
        return "the second FixHelpBytes failed";
    }
    if (second.out.data && !toldLeftOut) {
        return "a second --fix changes the file";
    }
    // The diff applied gives the mended bytes.
    ByteBuffer diff = {};
    AppendUnifiedDiff(u"help.txt", Data(bytes), Size(bytes), Data(now), Size(now), &diff);
    std::string text(reinterpret_cast<const char*>(diff.data), diff.size);
    bool failed = diff.failed;
    ReleaseBytes(&diff);
    std::string applied;
    std::string why;
    if (failed || text.empty()) {
        return "no diff";
    }
    if (!ApplyDiffStrictly(bytes, text, &applied, &why)) {
        return "the diff does not apply: " + why;
    }
    if (applied != now) {
        return "the diff applied does not give the mended bytes";
    }
    return "";
}
