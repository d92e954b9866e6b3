#pragma once

// The DLL's own bookkeeping: its handle, and the objects and locks that keep it loaded.

#include <windows.h>

namespace kelvor::standin {

HMODULE ModuleHandle();
void SetModuleHandle(HMODULE module);

void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
bool CanUnload();

// Counts one live object of the DLL for as long as it exists.
class ModuleReference {
public:
    ModuleReference() { ObjectCreated(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
    ~ModuleReference() { ObjectDestroyed(); }
};

} // namespace kelvor::standin
