// Loading a help file: gather the entry lines in one pass, sort them and merge repeated names,
// and build the tree.
#include "helptable/help_loader.h"

#include "base/text16.h"
#include "helptable/help_grammar.h"
#include "helptable/help_line.h"
#include "helptable/staged_texts.h"
#include "platform/invariants.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"
#include "textinput/utf8_lines.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// Working storage of one load. Loads run one at a time on the host's thread, so one static
// set keeps some 50 KB off the caller's stack.
struct LoadBuffers {
    char16_t line[kLineUnits];
    char16_t name[kNameUnits];
    char16_t syntax[kSyntaxUnits];
    char16_t info[kLineUnits];
    char line8[kUtf8LineBytes];
};
LoadBuffers g_work;

// Sorting works on compact keys rather than on the 112-byte records: a name's first six
// units, compared as two numbers, decide most comparisons without touching the entries, and
// the place breaks ties between lines that name the same function.
struct SortKey {
    uint64_t prefix; // units 0 to 3
    uint32_t more;   // units 4 and 5
    int32_t place;   // the entry's place in the array, which is also its order in the file

    // Copied field by field, the keys are no longer trivially copyable: the standard library
    // then moves them with a loop of its own instead of a call to the C library's memmove for
    // each short run, which under Wine's C library costs more than the move.
    SortKey() = default;
    SortKey(uint64_t p, uint32_t m, int32_t at) : prefix(p), more(m), place(at) {}
    SortKey(const SortKey& other) = default;
    SortKey& operator=(const SortKey& other) {
        prefix = other.prefix;
        more = other.more;
        place = other.place;
        return *this;
    }
};

// An entry line's texts in UTF-8, with the name in g_work.name; from either parser.
struct EntryTexts {
    size_t nameUnits;
    const char* syntax;
    size_t syntaxBytes;
    const char* info;
    size_t infoBytes; // 0: the line has no description
    size_t nameStart; // where the name lies in the syntax, to be upper-cased there too; the
    size_t nameBytes; // UTF-16 parser has done that already and leaves these 0
    char* room;       // the staged room when the line was transcoded into it, else null
};

enum class LineKind : uint8_t { Entry, NotEntry, End };

// The next line, read and parsed in UTF-8 where the line allows, else through UTF-16 as the
// reader and the parser define it. A line transcoded from UTF-16 or a code page goes straight
// into the staged room when there is enough of it, so that its texts need no copy.
LineKind NextLine(TextSource* source, std::span<char> room, EntryTexts* texts) {
    uint32_t start = source->position;
    Utf8Line line = ReadLineAsUtf8(source, room.empty() ? std::span<char>(g_work.line8) : room);
    if (line.read == Utf8LineRead::NoMore) {
        return LineKind::End;
    }
    if (line.read == Utf8LineRead::Line) {
        HelpLineParts parts = {};
        Utf8HelpLine parsed = ParseHelpLineUtf8(line.text, line.bytes, g_work.name, &parts);
        if (parsed == Utf8HelpLine::NotEntry) {
            return LineKind::NotEntry;
        }
        if (parsed == Utf8HelpLine::Entry) {
            // A syntax line the parser passes always fits; a description transcoded from a
            // file's UTF-16 or code page may not.
            const char* info = line.text + parts.infoStart;
            *texts = EntryTexts{parts.nameBytes,
                                line.text,
                                parts.syntax,
                                info,
                                KeptInfoBytes(info, parts.info),
                                parts.nameStart,
                                parts.nameBytes,
                                line.text == room.data() ? room.data() : nullptr};
            return LineKind::Entry;
        }
        source->position = start; // the UTF-16 parser reads this one again
    }
    if (ReadTextLine(source, g_work.line) != LineRead::Line) {
        return LineKind::End;
    }
    HelpLineLengths units = {};
    int nameUnits =
        ParseHelpLineLengths(g_work.name, g_work.line, g_work.syntax, g_work.info, &units);
    if (nameUnits <= 0) {
        return LineKind::NotEntry;
    }
    // Both texts in UTF-8, then cut to what the table keeps. They come from one line, so
    // their bytes and terminators fit the UTF-8 line's buffer together.
    static_assert(kUtf8LineBytes >= 3 * static_cast<size_t>(kLineUnits - 1) + 2, "room");
    char* syntax8 = g_work.line8;
    size_t syntaxBytes = Utf16ToUtf8Units(g_work.syntax, units.syntax, {syntax8, kUtf8LineBytes});
    char* info8 = syntax8 + syntaxBytes + 1;
    size_t infoBytes = 0;
    if (units.info > 0) {
        infoBytes =
            Utf16ToUtf8Units(g_work.info, units.info, {info8, kUtf8LineBytes - syntaxBytes - 1});
    }
    *texts = EntryTexts{static_cast<size_t>(nameUnits),
                        syntax8,
                        KeptSyntaxBytes(syntax8, syntaxBytes),
                        info8,
                        KeptInfoBytes(info8, infoBytes),
                        0,
                        0,
                        nullptr};
    return LineKind::Entry;
}

// The entries of one load, in file order, in an array that grows as entry lines come.
struct EntryArray {
    HelpEntry* entries;
    int32_t count;
    int32_t capacity;
};

// A first size for the array, from the file's size: one place for every 32 bytes, which
// few help files have fewer of than entry lines, and within bounds that keep a large file of
// other text from asking for much more than it uses. Places never used cost address space
// only, since nothing touches them.
int32_t FirstCapacity(const TextSource& source) {
    constexpr uint32_t kFewest = 16;
    constexpr uint32_t kMost = 262144;
    uint32_t guess = source.size / 32;
    return static_cast<int32_t>(guess < kFewest ? kFewest : guess > kMost ? kMost : guess);
}

// Room for one more entry; false when the array could not grow. Past its first size it
// doubles, for files whose lines end in CR alone.
bool MakeRoom(EntryArray* array, const TextSource& source) {
    if (array->count < array->capacity) {
        return true;
    }
    constexpr int32_t kMostEntries = INT32_MAX / static_cast<int32_t>(sizeof(HelpEntry));
    // Past this bound a file of some 19 million entry lines: too large to test.
    if (HB_NEVER(array->capacity > kMostEntries / 2)) {
        return false;
    }
    int32_t capacity = array->entries ? array->capacity * 2 : FirstCapacity(source);
    auto* grown =
        static_cast<HelpEntry*>(PlatformAlloc(static_cast<size_t>(capacity) * sizeof(HelpEntry)));
    if (!grown) {
        return false;
    }
    if (array->count > 0) {
        memcpy(grown, array->entries, static_cast<size_t>(array->count) * sizeof(HelpEntry));
    }
    PlatformFree(array->entries);
    array->entries = grown;
    array->capacity = capacity;
    return true;
}

enum class Stored : uint8_t { Done, NoArray, NoText, NoTree };

// Keeps the texts of a line transcoded into the staged room where they lie: each is ended in
// place, the description moved on by a byte when nothing parts it from the syntax. The line
// takes at most three bytes a unit, which leaves the room two bytes for that (the assertion
// in NextLine).
char* KeepInRoom(StagedTexts* staged, const EntryTexts& texts, char** info) {
    char* room = texts.room;
    size_t kept = texts.syntaxBytes + 1;
    *info = nullptr;
    if (texts.infoBytes > 0) {
        auto at = static_cast<size_t>(texts.info - texts.syntax);
        if (at == texts.syntaxBytes) {
            memmove(room + at + 1, room + at, texts.infoBytes);
            ++at;
        }
        room[at + texts.infoBytes] = 0;
        *info = room + at;
        kept = at + texts.infoBytes + 1;
    }
    room[texts.syntaxBytes] = 0;
    return TakeStagedRoom(staged, kept);
}

// Appends an entry line's name (from g_work.name) and texts, staged.
Stored StoreEntry(EntryArray* array, StagedHelp* staged, const EntryTexts& texts,
                  const TextSource& source) {
    if (!MakeRoom(array, source)) {
        return Stored::NoArray;
    }
    HelpEntry* entry = &array->entries[array->count];
    entry->name = StageName(&staged->names, g_work.name, texts.nameUnits);
    if (!entry->name) {
        return Stored::NoText;
    }
    if (texts.room) {
        entry->syntax = KeepInRoom(&staged->texts, texts, &entry->info);
    } else {
        entry->syntax = StageText(&staged->texts, texts.syntax, texts.syntaxBytes);
        entry->info = nullptr;
    }
    if (!entry->syntax) {
        return Stored::NoText;
    }
    // The name is ASCII here, and upper-cased already in g_work.name.
    for (size_t i = 0; i < texts.nameBytes; ++i) {
        entry->syntax[texts.nameStart + i] = static_cast<char>(g_work.name[i]);
    }
    if (!texts.room && texts.infoBytes > 0) {
        entry->info = StageText(&staged->texts, texts.info, texts.infoBytes);
        if (!entry->info) {
            return Stored::NoText;
        }
    }
    ++array->count;
    return Stored::Done;
}

// The first units of a name as one number; past the terminator the key goes on with zeros,
// so a shorter name still orders first, as in CompareHelpNames.
uint64_t NameUnits(const char16_t*& name, int units) {
    uint64_t key = 0;
    for (int i = 0; i < units; ++i) {
        key = key << 16 | *name;
        if (*name) {
            ++name;
        }
    }
    return key;
}

bool SameKey(const SortKey& a, const SortKey& b) {
    return a.prefix == b.prefix && a.more == b.more;
}

// Whether a name may go on past the units its key holds: its sixth unit is no terminator.
bool NameGoesOn(const SortKey& key) {
    return (key.more & 0xFFFF) != 0;
}

SortKey MakeKey(const HelpEntry& entry, int32_t place) {
    const char16_t* name = entry.name;
    uint64_t prefix = NameUnits(name, 4);
    return SortKey{prefix, static_cast<uint32_t>(NameUnits(name, 2)), place};
}

// Byte d of a key's twelve, from the least significant: more's four, then prefix's eight.
uint32_t KeyByte(const SortKey& key, int d) {
    uint64_t bytes = d < 4 ? key.more : key.prefix;
    return static_cast<uint32_t>(bytes >> (8 * (d < 4 ? d : d - 4))) & 0xFF;
}

// Sorts keys by prefix and then more, equal ones kept in the order they come: a radix sort a
// byte at a time from the least significant, which passes over a byte that all keys share
// (the high bytes of ASCII names). Its cost grows with the keys' number alone, where a
// comparison sort's grows with its logarithm too; spare holds as many keys.
void SortKeys(SortKey* keys, SortKey* spare, int32_t count) {
    static uint32_t counts[12][256];
    memset(counts, 0, sizeof counts);
    for (int32_t i = 0; i < count; ++i) {
        for (int d = 0; d < 12; ++d) {
            ++counts[d][KeyByte(keys[i], d)];
        }
    }
    SortKey* from = keys;
    SortKey* to = spare;
    for (int d = 0; d < 12; ++d) {
        if (counts[d][KeyByte(from[0], d)] == static_cast<uint32_t>(count)) {
            continue;
        }
        uint32_t sum = 0;
        for (uint32_t& bucket : counts[d]) {
            uint32_t n = bucket;
            bucket = sum;
            sum += n;
        }
        for (int32_t i = 0; i < count; ++i) {
            to[counts[d][KeyByte(from[i], d)]++] = from[i];
        }
        std::swap(from, to);
    }
    if (from != keys) {
        std::copy(from, from + count, keys);
    }
}

// Sorts the entries by name and merges the lines that name the same function: the last one
// wins entirely. Writes into order the places of the winning entries in name order and
// returns their number. The entries themselves never move: the tree is built through order.
// spare is working room for as many keys.
int32_t SortAndMerge(const HelpEntry* entries, int32_t count, SortKey* keys, SortKey* spare,
                     int32_t* order) {
    for (int32_t i = 0; i < count; ++i) {
        keys[i] = MakeKey(entries[i], i);
    }
    // The keys alone first, so that the sort never reaches into the records; then each run
    // of names that share their first six units, where the sixth is no terminator, again by
    // the whole name. Runs are short in any real file. Within a run the keys keep the order of
    // the file, and among equal names the last line, which sorts last, wins.
    SortKeys(keys, spare, count);
    auto nameOf = [entries](const SortKey& key) { return entries[key.place].name; };
    auto byName = [nameOf](const SortKey& a, const SortKey& b) {
        int compared = CompareHelpNames(nameOf(a), nameOf(b));
        return compared != 0 ? compared < 0 : a.place < b.place;
    };
    int32_t kept = 0;
    for (int32_t run = 0, end = 0; run < count; run = end) {
        for (end = run + 1; end < count && SameKey(keys[end], keys[run]); ++end) {
        }
        if (end - run == 1 || !NameGoesOn(keys[run])) {
            // One line, or lines of one name that the key holds whole: the last one wins.
            order[kept++] = keys[end - 1].place;
        } else if (end - run == 2) {
            // Mostly a name given twice: one comparison tells both the order and whether
            // the two are the same name.
            const SortKey& a = keys[run]; // the earlier line
            const SortKey& b = keys[run + 1];
            int compared = CompareHelpNames(nameOf(a), nameOf(b));
            if (compared > 0) {
                order[kept++] = b.place;
                order[kept++] = a.place;
            } else if (compared < 0) {
                order[kept++] = a.place;
                order[kept++] = b.place;
            } else {
                order[kept++] = b.place; // the same name: the later line wins
            }
        } else {
            std::sort(keys + run, keys + end, byName);
            for (int32_t k = run; k < end; ++k) {
                if (k + 1 == end || CompareHelpNames(nameOf(keys[k]), nameOf(keys[k + 1])) != 0) {
                    order[kept++] = keys[k].place;
                }
            }
        }
    }
    return kept;
}

} // namespace

HelpLoadResult LoadHelpFile(const char16_t* sourceName) {
    HelpLoadResult result = {HelpLoad::NotOpened, 0, {nullptr, 0}, {}, sourceName};
    TextSource source = {};
    result.source = OpenTextSource(&source, sourceName);
    if (result.source.outcome == SourceOpen::Empty) {
        // The reader passes an empty file over without a word. To the user it is a file with
        // no entries, and a load that read nothing must not pass for one that did its work.
        result.outcome = HelpLoad::NoFunctions;
    }
    if (result.source.outcome != SourceOpen::Opened) {
        return result;
    }

    // One pass: each entry line's name and texts are staged, and the array points at them.
    EntryArray array = {nullptr, 0, 0};
    // A small file's texts take one block of about the file's size, and so do its names:
    // room enough unless the file holds little but names (a name staged takes twice its
    // bytes in the line, and the line holds a syntax besides), when they go on into a block
    // of the usual size. A large file's take a few. The tree keeps the blocks.
    size_t firstBytes = static_cast<size_t>(source.size) + sizeof(char*) + 2;
    StagedHelp staged = {{nullptr, 0, 0, firstBytes}, {nullptr, 0, 0, firstBytes}};
    Stored stored = Stored::Done;
    EntryTexts texts = {};
    for (LineKind kind; stored == Stored::Done &&
                        (kind = NextLine(&source, StagedRoom(&staged.texts, kUtf8LineBytes),
                                         &texts)) != LineKind::End;) {
        if (kind == LineKind::Entry) {
            stored = StoreEntry(&array, &staged, texts, source);
        }
    }
    CloseTextSource(&source);

    // The sort keys are working storage of the array, so their failure is reported as the
    // array's. The tree's block comes before the sort: until the nodes are laid out there,
    // its room holds the sort's spare keys and the order they leave, so that a load touches
    // little memory besides the table it leaves.
    auto entries = static_cast<size_t>(array.count);
    SortKey* keys = nullptr;
    TreeRoom room = {nullptr, {}};
    if (stored == Stored::Done && entries > 0) {
        keys = static_cast<SortKey*>(PlatformAlloc(entries * sizeof(SortKey)));
        room = keys ? ReserveHelpTree(entries) : room;
        stored = !keys ? Stored::NoArray : !room.block ? Stored::NoTree : stored;
    }
    if (stored != Stored::Done || entries == 0) {
        PlatformFree(keys);
        ReleaseStagedTexts(&staged.names);
        ReleaseStagedTexts(&staged.texts);
        PlatformFree(array.entries);
        result.outcome = stored == Stored::NoArray  ? HelpLoad::NoArray
                         : stored == Stored::NoText ? HelpLoad::NoText
                         : stored == Stored::NoTree ? HelpLoad::NoTree
                                                    : HelpLoad::NoFunctions;
        return result;
    }
    static_assert(sizeof(SortKey) + sizeof(int32_t) <= sizeof(HelpNode), "room in the nodes");
    static_assert(alignof(SortKey) <= alignof(uint64_t), "the nodes' room is aligned for it");
    auto* spare = reinterpret_cast<SortKey*>(room.nodes.data());
    auto* order = reinterpret_cast<int32_t*>(spare + entries);
    int32_t distinct = SortAndMerge(array.entries, array.count, keys, spare, order);

    // A file with an entry line keeps at least one name after the merge. The tree takes the
    // staged names and texts over; those of lines that lost a merge stay behind in them,
    // unused. The keys are done with: their room lays the tree out.
    static_assert(sizeof(int32_t) <= sizeof(SortKey), "room in the keys");
    std::span<int32_t> places = {reinterpret_cast<int32_t*>(keys), entries};
    HelpTree tree = BuildHelpTreeOver(room, {array.entries, entries},
                                      {order, static_cast<size_t>(distinct)}, places, &staged);
    PlatformFree(keys);
    ReleaseStagedTexts(&staged.names);
    ReleaseStagedTexts(&staged.texts);
    PlatformFree(array.entries);
    if (HB_NEVER(!tree.root)) { // the room and the order always fit the entries
        result.outcome = HelpLoad::NoTree;
        return result;
    }
    result.outcome = HelpLoad::Loaded;
    result.functions = tree.count;
    result.tree = std::move(tree);
    return result;
}
