// The entry points of an in-process COM server.

#include "standin/class_factory.h"
#include "standin/module.h"
#include "standin/registration.h"

#include <windows.h>

using namespace kelvor::standin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID riid, LPVOID* object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    ClassFactory* factory = FactoryFor(classId);
    if (!factory)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory->QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() {
    return CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return RegisterClasses();
}

STDAPI DllUnregisterServer() {
    return UnregisterClasses();
}
