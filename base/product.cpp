#include "base/product.h"

const char16_t kPluginName[] = u"Hintbar";

namespace {
void* ModuleHandle = nullptr;
} // namespace

void RecordModuleHandle(void* module) {
    ModuleHandle = module;
}

void* RecordedModuleHandle() {
    return ModuleHandle;
}
