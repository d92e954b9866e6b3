#pragma once

// The stand-in MAPI session control: signs on to the mailbox the stage serves, after the
// stand-in logon dialog when the mailbox file asks for it and LogonUI is set.

#include "standin/dispatch_control.h"
#include "standin/mapi_interfaces.h"

namespace kelvor::standin {

class SessionControl final : public DispatchControl<IMapiSession> {
public:
    // Reads the mailbox file afresh for the new control.
    SessionControl();
    ~SessionControl() override;

    HRESULT STDMETHODCALLTYPE get_LogonUI(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_LogonUI(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_NewSession(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_NewSession(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_SessionID(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_SessionID(LONG value) override;
    HRESULT STDMETHODCALLTYPE SignOn() override;
    HRESULT STDMETHODCALLTYPE SignOff() override;

private:
    std::span<const PropertySpec> Properties() const override { return SessionProperties; }
    std::optional<std::int32_t> CurrentMessage() const override { return std::nullopt; }
    Value Read(const PropertySpec& property) override;
    void Write(const PropertySpec& property, const Value& value) override;
    const IID& Interface() const override { return mapi::SessionInterface; }
    const wchar_t* SourceName() const override { return L"KelvorStandin.Session"; }
    void Reset() override;
    const CLSID& ClassId() const override { return mapi::SessionClass; }

    bool logonUI_ = true;
    bool newSession_ = false;
    // Positive exactly while signed on.
    std::int32_t sessionId_ = 0;
};

} // namespace kelvor::standin
