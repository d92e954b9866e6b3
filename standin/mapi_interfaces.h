#pragma once

// The two dual interfaces laid out as the MAPI controls lay out their function tables:
// IDispatch's seven entries, a get and a put entry per property in DISPID order, then the
// methods. Properties the program does not use keep their places with entries that take one
// pointer-sized argument and answer E_NOTIMPL.

#include "mailbox/com/mapi_ids.h"

#include <windows.h>

#include <oaidl.h>

#define KELVOR_STANDIN_UNUSED_PROPERTY(dispid)                                                     \
    virtual HRESULT STDMETHODCALLTYPE get_Property##dispid(void*) {                                \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    virtual HRESULT STDMETHODCALLTYPE put_Property##dispid(void*) {                                \
        return E_NOTIMPL;                                                                          \
    }

#define KELVOR_STANDIN_PROPERTY(name, type)                                                        \
    virtual HRESULT STDMETHODCALLTYPE get_##name(type* value) = 0;                                 \
    virtual HRESULT STDMETHODCALLTYPE put_##name(type value) = 0;

namespace kelvor::standin {

struct IMapiSession : IDispatch {
    KELVOR_STANDIN_UNUSED_PROPERTY(1)
    KELVOR_STANDIN_PROPERTY(LogonUI, VARIANT_BOOL)    // 2
    KELVOR_STANDIN_PROPERTY(NewSession, VARIANT_BOOL) // 3
    KELVOR_STANDIN_UNUSED_PROPERTY(4)
    KELVOR_STANDIN_PROPERTY(SessionID, LONG) // 5
    KELVOR_STANDIN_UNUSED_PROPERTY(6)
    KELVOR_STANDIN_UNUSED_PROPERTY(7)
    virtual HRESULT STDMETHODCALLTYPE SignOn() = 0;
    virtual HRESULT STDMETHODCALLTYPE SignOff() = 0;
};

struct IMapiMessages : IDispatch {
    KELVOR_STANDIN_UNUSED_PROPERTY(1)
    KELVOR_STANDIN_UNUSED_PROPERTY(2)
    KELVOR_STANDIN_UNUSED_PROPERTY(3)
    KELVOR_STANDIN_UNUSED_PROPERTY(4)
    KELVOR_STANDIN_UNUSED_PROPERTY(5)
    KELVOR_STANDIN_PROPERTY(AttachmentCount, LONG)    // 6
    KELVOR_STANDIN_PROPERTY(AttachmentIndex, LONG)    // 7
    KELVOR_STANDIN_PROPERTY(AttachmentName, BSTR)     // 8
    KELVOR_STANDIN_PROPERTY(AttachmentPathName, BSTR) // 9
    KELVOR_STANDIN_UNUSED_PROPERTY(10)
    KELVOR_STANDIN_UNUSED_PROPERTY(11)
    KELVOR_STANDIN_UNUSED_PROPERTY(12)
    KELVOR_STANDIN_UNUSED_PROPERTY(13)
    KELVOR_STANDIN_UNUSED_PROPERTY(14)
    KELVOR_STANDIN_UNUSED_PROPERTY(15)
    KELVOR_STANDIN_PROPERTY(MsgCount, LONG) // 16
    KELVOR_STANDIN_UNUSED_PROPERTY(17)
    KELVOR_STANDIN_UNUSED_PROPERTY(18)
    KELVOR_STANDIN_PROPERTY(MsgIndex, LONG)    // 19
    KELVOR_STANDIN_PROPERTY(MsgNoteText, BSTR) // 20
    KELVOR_STANDIN_UNUSED_PROPERTY(21)
    KELVOR_STANDIN_PROPERTY(MsgOrigDisplayName, BSTR) // 22
    KELVOR_STANDIN_UNUSED_PROPERTY(23)
    KELVOR_STANDIN_UNUSED_PROPERTY(24)
    KELVOR_STANDIN_UNUSED_PROPERTY(25)
    KELVOR_STANDIN_UNUSED_PROPERTY(26)
    KELVOR_STANDIN_UNUSED_PROPERTY(27)
    KELVOR_STANDIN_UNUSED_PROPERTY(28)
    KELVOR_STANDIN_UNUSED_PROPERTY(29)
    KELVOR_STANDIN_UNUSED_PROPERTY(30)
    KELVOR_STANDIN_PROPERTY(SessionID, LONG)  // 31
    KELVOR_STANDIN_PROPERTY(MsgSubject, BSTR) // 32
    KELVOR_STANDIN_UNUSED_PROPERTY(33)
    KELVOR_STANDIN_UNUSED_PROPERTY(34)
    virtual HRESULT STDMETHODCALLTYPE Method1() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method2() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method3() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Fetch() = 0;
};

} // namespace kelvor::standin

#undef KELVOR_STANDIN_UNUSED_PROPERTY
#undef KELVOR_STANDIN_PROPERTY
