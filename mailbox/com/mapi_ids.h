#pragma once

// Identities of the two MAPI controls: classes, dual interfaces, the DISPIDs of the properties
// the program uses and the function-table entries of its methods.

#include <windows.h>

#include <oaidl.h>

namespace kelvor::mapi {

// The MAPI session control and its dual interface IMapiSession.
inline constexpr CLSID SessionClass = {
    0x20C62CA0, 0x15DA, 0x101B, {0xB9, 0xA8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr IID SessionInterface = {
    0xF49AC0B0, 0xDF74, 0x11CF, {0x8E, 0x74, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF8}};

// The MAPI messages control and its dual interface IMapiMessages.
inline constexpr CLSID MessagesClass = {
    0x20C62CAB, 0x15DA, 0x101B, {0xB9, 0xA8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr IID MessagesInterface = {
    0xF49AC0B2, 0xDF74, 0x11CF, {0x8E, 0x74, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF8}};

namespace session {
inline constexpr DISPID LogonUI = 2;
inline constexpr DISPID NewSession = 3;
inline constexpr DISPID SessionID = 5;
// Properties have DISPIDs 1 to PropertyCount.
inline constexpr int PropertyCount = 7;
} // namespace session

namespace messages {
inline constexpr DISPID AttachmentCount = 6;
inline constexpr DISPID AttachmentIndex = 7;
inline constexpr DISPID AttachmentName = 8;
inline constexpr DISPID AttachmentPathName = 9;
inline constexpr DISPID MsgCount = 16;
inline constexpr DISPID MsgIndex = 19;
inline constexpr DISPID MsgNoteText = 20;
inline constexpr DISPID MsgOrigDisplayName = 22;
inline constexpr DISPID SessionID = 31;
inline constexpr DISPID MsgSubject = 32;
inline constexpr int PropertyCount = 34;
} // namespace messages

// A dual interface's function table: IDispatch's seven entries, then a get and a put entry per
// property in DISPID order, then the methods.
inline constexpr int IDispatchEntries = 7;
constexpr int GetEntry(DISPID dispid) {
    return IDispatchEntries + 2 * (dispid - 1);
}
constexpr int PutEntry(DISPID dispid) {
    return GetEntry(dispid) + 1;
}
constexpr int MethodEntry(int propertyCount, int method) {
    return IDispatchEntries + 2 * propertyCount + method;
}

inline constexpr int SignOnEntry = MethodEntry(session::PropertyCount, 0);
inline constexpr int SignOffEntry = MethodEntry(session::PropertyCount, 1);
inline constexpr int FetchEntry = MethodEntry(messages::PropertyCount, 3);
static_assert(SignOnEntry == 21 && SignOffEntry == 22 && FetchEntry == 78);

} // namespace kelvor::mapi
