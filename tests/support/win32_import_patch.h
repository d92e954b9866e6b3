#pragma once

// A system function answered by the test, for as long as the object lives: the entries of this
// program's import table that hold the function's address are pointed at a replacement, so the
// program's own code calls it where it would call the system. For a system call that Windows
// answers otherwise than Wine does (a name marked for deletion, a file a scanner holds) and for
// one that Wine leaves unimplemented. The replacement reaches the real function through
// Original().

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace kelvor::testing_support {

class ImportPatch {
public:
    ImportPatch(const wchar_t* module, const char* function, void* replacement)
        : original_(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), function))) {
        if (!original_)
            throw std::runtime_error(std::string("no such system function: ") + function);
        const auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto& dos = *reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto& nt = *reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos.e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
                 base + imports.VirtualAddress);
             imports.VirtualAddress && dll->Name; ++dll) {
            for (auto* slot = reinterpret_cast<void**>(base + dll->FirstThunk); *slot; ++slot) {
                if (*slot == original_)
                    slots_.push_back(slot);
            }
        }
        if (slots_.empty())
            throw std::runtime_error(std::string("the program does not import ") + function);
        Point(replacement);
    }
    ~ImportPatch() { Point(original_); }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    template <class Function> Function Original() const {
        return reinterpret_cast<Function>(original_);
    }

private:
    void Point(void* target) {
        for (void** slot : slots_) {
            DWORD protection = 0;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
            *slot = target;
            VirtualProtect(slot, sizeof *slot, protection, &protection);
        }
    }

    void* original_;
    std::vector<void**> slots_;
};

} // namespace kelvor::testing_support
