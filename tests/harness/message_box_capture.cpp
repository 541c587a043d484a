#include "tests/harness/message_box_capture.h"

#include <string.h>

namespace {
MessageBoxCapture* active = nullptr;
}

void* ReplaceImport(const char* dll, const char* function, void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress) return nullptr;
    for (auto import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        if (_stricmp(reinterpret_cast<const char*>(base + import->Name), dll) != 0) continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (import->OriginalFirstThunk ? import->OriginalFirstThunk
                                                                                            : import->FirstThunk));
        auto addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            void* old = reinterpret_cast<void*>(addresses->u1.Function);
            DWORD protection;
            VirtualProtect(&addresses->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
            addresses->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&addresses->u1.Function, sizeof(void*), protection, &protection);
            return old;
        }
    }
    return nullptr;
}

MessageBoxCapture::MessageBoxCapture() : original(nullptr), outer(active)
{
    original = ReplaceImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(&Replacement));
    active = this;
}

MessageBoxCapture::~MessageBoxCapture()
{
    ReplaceImport("user32.dll", "MessageBoxA", original);
    active = outer;
}

int WINAPI MessageBoxCapture::Replacement(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    CapturedMessageBox box{owner, text ? text : "", caption ? caption : "", style};
    active->boxes.push_back(box);
    return active->answer ? active->answer(box) : IDOK;
}
