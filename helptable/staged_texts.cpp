// Staged texts: a chain of blocks, each filled front to back and released only as a whole.
#include "helptable/staged_texts.h"

#include "platform/platform.h"

#include <cstring>

namespace {
constexpr size_t kBlockBytes = kStagedBlockBytes;
constexpr size_t kLinkBytes = sizeof(char*);
} // namespace

char* StageText(StagedTexts* staged, const char* text, size_t length) {
    if (!staged || !text || length > kBlockBytes - kLinkBytes - 1) {
        return nullptr;
    }
    if (!staged->block || staged->used + length + 1 > staged->blockBytes) {
        size_t size = kBlockBytes;
        if (!staged->block && staged->firstBytes >= kLinkBytes + length + 1 &&
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
    char* copy = staged->block + staged->used;
    memcpy(copy, text, length);
    copy[length] = 0;
    staged->used += length + 1;
    return copy;
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
