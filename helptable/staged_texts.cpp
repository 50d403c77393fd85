// Staged texts: a chain of blocks, each filled front to back and released only as a whole.
#include "helptable/staged_texts.h"

#include "base/short_copy.h"
#include "platform/platform.h"

#include <cstring>

namespace {
constexpr size_t kBlockBytes = kStagedBlockBytes;
constexpr size_t kLinkBytes = sizeof(char*);
} // namespace

namespace {
// Room for `bytes` in the newest block, or in a new one; null when no block could be had.
// Blocks begin at the heap's alignment and their links take an even size, so an even offset
// suits UTF-16 units.
char* Reserve(StagedTexts* staged, size_t bytes, bool even) {
    if (even) {
        staged->used += staged->used & 1;
    }
    if (!staged->block || staged->used + bytes > staged->blockBytes) {
        size_t size = kBlockBytes;
        if (!staged->block && staged->firstBytes >= kLinkBytes + bytes &&
            staged->firstBytes < kBlockBytes) {
            size = staged->firstBytes;
        }
        char* block = static_cast<char*>(PlatformAlloc(size));
        if (!block) {
            return nullptr;
        }
        memcpy(block, &staged->block, kLinkBytes);
        staged->block = block;
        staged->used = kLinkBytes;
        staged->blockBytes = size;
    }
    char* room = staged->block + staged->used;
    staged->used += bytes;
    return room;
}
} // namespace

char* StageText(StagedTexts* staged, const char* text, size_t length) {
    if (!staged || !text || length > kBlockBytes - kLinkBytes - 1) {
        return nullptr;
    }
    char* copy = Reserve(staged, length + 1, false);
    if (copy) {
        CopyShort(copy, text, length);
        copy[length] = 0;
    }
    return copy;
}

const char16_t* StageName(StagedTexts* staged, const char16_t* name, size_t units) {
    if (!staged || !name || units >= kNameUnits) {
        return nullptr;
    }
    char* copy = Reserve(staged, (units + 1) * sizeof(char16_t), true);
    if (!copy) {
        return nullptr;
    }
    CopyShort(copy, name, units * sizeof(char16_t));
    memset(copy + units * sizeof(char16_t), 0, sizeof(char16_t));
    return reinterpret_cast<const char16_t*>(copy);
}

std::span<char> StagedRoom(const StagedTexts* staged, size_t least) {
    if (!staged || !staged->block || staged->blockBytes - staged->used < least) {
        return {};
    }
    return {staged->block + staged->used, staged->blockBytes - staged->used};
}

char* TakeStagedRoom(StagedTexts* staged, size_t bytes) {
    if (!staged || !staged->block || staged->blockBytes - staged->used < bytes) {
        return nullptr;
    }
    char* room = staged->block + staged->used;
    staged->used += bytes;
    return room;
}

void ReleaseStagedTexts(StagedTexts* staged) {
    if (!staged) {
        return;
    }
    char* block = staged->block;
    while (block) {
        char* previous;
        memcpy(&previous, block, kLinkBytes);
        PlatformFree(block);
        block = previous;
    }
    staged->block = nullptr;
    staged->used = 0;
    staged->blockBytes = 0;
}
