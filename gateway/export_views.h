#pragma once

#include <string>

namespace kelvor {

// The two views of the window that an export fills: the message text, from which the body file
// is written, and the paths of the message's attachments. Texts are ANSI code page bytes.

class LineList {
public:
    virtual ~LineList() = default;
    virtual void Clear() = 0;
    virtual void Add(const std::string& item) = 0;
};

class MessageView {
public:
    virtual ~MessageView() = default;
    virtual void Clear() = 0;
    // Throws Error("Text exceeds memo capacity") when the view cannot hold the text.
    virtual void SetText(const std::string& text) = 0;
    // The text exactly as the view holds it.
    virtual std::string Text() const = 0;
};

struct ExportViews {
    MessageView& message;
    LineList& attachments;
};

} // namespace kelvor
