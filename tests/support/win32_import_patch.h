#pragma once

// A system function answered by the test while the object lives: the entries of this program's
// import table that hold its address point at a replacement, which the program's own code then
// calls; the replacement reaches the system's through `original`. For calls that Windows answers
// otherwise than Wine does (a name being deleted, a file a scanner holds), or Wine not at all (the
// reason Windows shows while it waits for the work), and calls a test checks the order of (the
// flushes, marks and renames of an export's files).

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace kelvor::testing_support {

template <class Function> class ImportPatch {
public:
    ImportPatch(Function function, Function replacement) : original(function) {
        const auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto& nt = *reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
                 base +
                 nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
             dll->Name; ++dll) {
            for (auto* slot = reinterpret_cast<Function*>(base + dll->FirstThunk); *slot; ++slot) {
                if (*slot == function)
                    slots_.push_back(slot);
            }
        }
        if (slots_.empty())
            throw std::runtime_error("the program does not import the function");
        Point(replacement);
    }
    ~ImportPatch() { Point(original); }
    ImportPatch(const ImportPatch&) = delete;

    const Function original;

private:
    void Point(Function target) {
        for (Function* slot : slots_) {
            DWORD protection = 0;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
            *slot = target;
            VirtualProtect(slot, sizeof *slot, protection, &protection);
        }
    }

    std::vector<Function*> slots_;
};

} // namespace kelvor::testing_support
