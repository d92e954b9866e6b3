#pragma once

// The stand-in MAPI messages control: the message set fetched from a signed-on session, with
// a current message and a current attachment.

#include "standin/attachment_files.h"
#include "standin/dispatch_control.h"
#include "standin/mailbox_file.h"
#include "standin/mapi_interfaces.h"

#include <memory>

namespace kelvor::standin {

class MessagesControl final : public DispatchControl<IMapiMessages> {
public:
    MessagesControl();

    HRESULT STDMETHODCALLTYPE get_AttachmentCount(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_AttachmentCount(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_AttachmentIndex(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_AttachmentIndex(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_AttachmentName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_AttachmentName(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_AttachmentPathName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_AttachmentPathName(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_MsgCount(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_MsgCount(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_MsgIndex(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_MsgIndex(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_MsgNoteText(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_MsgNoteText(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_MsgOrigDisplayName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_MsgOrigDisplayName(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_SessionID(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_SessionID(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_MsgSubject(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_MsgSubject(BSTR value) override;
    HRESULT STDMETHODCALLTYPE Fetch() override;

private:
    std::span<const PropertySpec> Properties() const override { return MessagesProperties; }
    std::optional<std::int32_t> CurrentMessage() const override { return msgIndex_; }
    Value Read(const PropertySpec& property) override;
    void Write(const PropertySpec& property, const Value& value) override;
    const IID& Interface() const override { return mapi::MessagesInterface; }
    const wchar_t* SourceName() const override { return L"KelvorStandin.Messages"; }
    void Reset() override;
    const CLSID& ClassId() const override { return mapi::MessagesClass; }

    std::int32_t Count() const;
    // Both throw Failure when there is no such message or attachment.
    const Message& Current() const;
    const Attachment& CurrentAttachment() const;
    // A text property: the control hands out a view valid until the next fetch.
    static Value Text(const std::wstring& text) { return std::wstring_view(text); }

    std::int32_t sessionId_ = 0;
    std::int32_t msgIndex_ = 0;
    std::int32_t attachmentIndex_ = 0;
    std::shared_ptr<const Mailbox> mailbox_;
    std::unique_ptr<AttachmentFiles> files_;
};

} // namespace kelvor::standin
