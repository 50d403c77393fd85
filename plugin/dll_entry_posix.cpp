// Linux has no DLL entry: a constructor runs when the shared object is loaded and records an
// address inside it, from which PlatformGetModuleFileName finds the object's path.
#include "base/product.h"

namespace {
__attribute__((constructor)) void AttachModule() {
    RecordModuleHandle(reinterpret_cast<void*>(&AttachModule));
}
} // namespace
