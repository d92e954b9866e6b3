#include "standin/module.h"

#include <atomic>

namespace kelvor::standin {
namespace {

HMODULE module = nullptr;
std::atomic<long> objects = 0;
std::atomic<long> locks = 0;

} // namespace

HMODULE ModuleHandle() {
    return module;
}
void SetModuleHandle(HMODULE handle) {
    module = handle;
}

void ObjectCreated() {
    ++objects;
}
void ObjectDestroyed() {
    --objects;
}
void LockServer(bool lock) {
    lock ? ++locks : --locks;
}
bool CanUnload() {
    return objects == 0 && locks == 0;
}

} // namespace kelvor::standin
