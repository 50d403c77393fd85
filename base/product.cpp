#include "base/product.h"

const char16_t kPluginName[] = u"Hintbar";

void* ModuleHandle = nullptr;

void RecordModuleHandle(void* module) {
    ModuleHandle = module;
}
