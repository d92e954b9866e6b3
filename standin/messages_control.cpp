#include "standin/messages_control.h"

#include "standin/stage.h"

#include <string>

namespace kelvor::standin {
namespace {

namespace id = mapi::messages;

std::wstring Number(std::int32_t value) {
    return std::to_wstring(value);
}

// Why `index` is no valid index among `count` items called `what`.
Failure OutOfRange(const wchar_t* property, std::int32_t index, std::int32_t count,
                   const std::wstring& none) {
    if (count == 0)
        return Failure{BadIndex, property + (L" " + Number(index) + L" is not valid: " + none)};
    return Failure{BadIndex,
                   property + (L" " + Number(index) + L" is outside 0 to " + Number(count - 1))};
}

// Handles every message of the thread for a while, as a modal loop does; a quit request stays
// for the host's own loop.
void PumpMessages(std::int32_t milliseconds) {
    Stage::Instance().Log("Fetch pumping");
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// Busy without looking at the thread's messages, for a while or until a file appears.
void BeBusy(std::int32_t milliseconds, const std::wstring& until) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        if (!until.empty() && GetFileAttributesW(until.c_str()) != INVALID_FILE_ATTRIBUTES)
            return;
        Sleep(until.empty() ? static_cast<DWORD>(end - now) : 10);
    }
}

} // namespace

MessagesControl::MessagesControl() {
    Stage::Instance().EnsureLoaded();
}

HRESULT MessagesControl::get_AttachmentCount(LONG* value) {
    return GetEntry(id::AttachmentCount, value);
}
HRESULT MessagesControl::put_AttachmentCount(LONG value) {
    return PutEntry(id::AttachmentCount, value);
}
HRESULT MessagesControl::get_AttachmentIndex(LONG* value) {
    return GetEntry(id::AttachmentIndex, value);
}
HRESULT MessagesControl::put_AttachmentIndex(LONG value) {
    return PutEntry(id::AttachmentIndex, value);
}
HRESULT MessagesControl::get_AttachmentName(BSTR* value) {
    return GetEntry(id::AttachmentName, value);
}
HRESULT MessagesControl::put_AttachmentName(BSTR value) {
    return PutEntry(id::AttachmentName, value);
}
HRESULT MessagesControl::get_AttachmentPathName(BSTR* value) {
    return GetEntry(id::AttachmentPathName, value);
}
HRESULT MessagesControl::put_AttachmentPathName(BSTR value) {
    return PutEntry(id::AttachmentPathName, value);
}
HRESULT MessagesControl::get_MsgCount(LONG* value) {
    return GetEntry(id::MsgCount, value);
}
HRESULT MessagesControl::put_MsgCount(LONG value) {
    return PutEntry(id::MsgCount, value);
}
HRESULT MessagesControl::get_MsgIndex(LONG* value) {
    return GetEntry(id::MsgIndex, value);
}
HRESULT MessagesControl::put_MsgIndex(LONG value) {
    return PutEntry(id::MsgIndex, value);
}
HRESULT MessagesControl::get_MsgNoteText(BSTR* value) {
    return GetEntry(id::MsgNoteText, value);
}
HRESULT MessagesControl::put_MsgNoteText(BSTR value) {
    return PutEntry(id::MsgNoteText, value);
}
HRESULT MessagesControl::get_MsgOrigDisplayName(BSTR* value) {
    return GetEntry(id::MsgOrigDisplayName, value);
}
HRESULT MessagesControl::put_MsgOrigDisplayName(BSTR value) {
    return PutEntry(id::MsgOrigDisplayName, value);
}
HRESULT MessagesControl::get_SessionID(LONG* value) {
    return GetEntry(id::SessionID, value);
}
HRESULT MessagesControl::put_SessionID(LONG value) {
    return PutEntry(id::SessionID, value);
}
HRESULT MessagesControl::get_MsgSubject(BSTR* value) {
    return GetEntry(id::MsgSubject, value);
}
HRESULT MessagesControl::put_MsgSubject(BSTR value) {
    return PutEntry(id::MsgSubject, value);
}

HRESULT MessagesControl::Fetch() {
    return MethodEntry("Fetch", [this] {
        Stage& stage = Stage::Instance();
        if (!stage.IsOpen(sessionId_))
            throw Failure{NoSession,
                          L"No session with SessionID " + Number(sessionId_) + L" is signed on"};
        auto mailbox = stage.ServedMailbox();
        if (mailbox->fetchPumpMs > 0)
            PumpMessages(mailbox->fetchPumpMs);
        if (mailbox->fetchBusyMs > 0) {
            stage.Log("Fetch busy");
            BeBusy(mailbox->fetchBusyMs, mailbox->fetchBusyUntil);
        }
        auto files = std::make_unique<AttachmentFiles>(*mailbox);
        mailbox_ = std::move(mailbox);
        files_ = std::move(files);
        msgIndex_ = 0;
        attachmentIndex_ = 0;
    });
}

std::int32_t MessagesControl::Count() const {
    return mailbox_ ? static_cast<std::int32_t>(mailbox_->messages.size()) : 0;
}

const Message& MessagesControl::Current() const {
    if (msgIndex_ < 0 || msgIndex_ >= Count())
        throw Failure{BadIndex, L"No message is selected: the message set is empty"};
    return mailbox_->messages[static_cast<std::size_t>(msgIndex_)];
}

const Attachment& MessagesControl::CurrentAttachment() const {
    const Message& message = Current();
    const auto count = static_cast<std::int32_t>(message.attachments.size());
    if (attachmentIndex_ < 0 || attachmentIndex_ >= count)
        throw OutOfRange(L"AttachmentIndex", attachmentIndex_, count,
                         L"message " + Number(msgIndex_) + L" has no attachments");
    return message.attachments[static_cast<std::size_t>(attachmentIndex_)];
}

Value MessagesControl::Read(const PropertySpec& property) {
    switch (property.dispid) {
    case id::SessionID:
        return sessionId_;
    case id::MsgCount:
        return Count();
    case id::MsgIndex:
        return msgIndex_;
    case id::AttachmentIndex:
        return attachmentIndex_;
    case id::AttachmentCount:
        return static_cast<std::int32_t>(Current().attachments.size());
    case id::MsgSubject:
        return Text(Current().subject);
    case id::MsgOrigDisplayName:
        return Text(Current().sender);
    case id::MsgNoteText:
        return Text(Current().text);
    case id::AttachmentName:
        return Text(CurrentAttachment().name);
    default:
        CurrentAttachment();
        return Text(files_->PathName(static_cast<std::size_t>(msgIndex_),
                                     static_cast<std::size_t>(attachmentIndex_)));
    }
}

void MessagesControl::Write(const PropertySpec& property, const Value& value) {
    const std::int32_t number = std::get<std::int32_t>(value);
    switch (property.dispid) {
    case id::SessionID:
        sessionId_ = number;
        break;
    case id::MsgIndex:
        if (number < 0 || number >= Count())
            throw OutOfRange(L"MsgIndex", number, Count(), L"the message set is empty");
        msgIndex_ = number;
        attachmentIndex_ = 0;
        break;
    default: {
        const auto count = static_cast<std::int32_t>(Current().attachments.size());
        if (number < 0 || number >= count)
            throw OutOfRange(L"AttachmentIndex", number, count,
                             L"message " + Number(msgIndex_) + L" has no attachments");
        attachmentIndex_ = number;
    }
    }
}

void MessagesControl::Reset() {
    sessionId_ = 0;
    msgIndex_ = 0;
    attachmentIndex_ = 0;
    mailbox_.reset();
    files_.reset();
}

} // namespace kelvor::standin
