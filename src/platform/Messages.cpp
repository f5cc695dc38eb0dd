#include "platform/Messages.h"

#include "platform/Host.h"

std::string FormatMessage(const char* text, const std::string& arg) {
    std::string out(text);
    const std::size_t pos = out.find("%1");
    if (pos != std::string::npos) {
        out.replace(pos, 2, arg);
    }
    return out;
}

std::string FormatMessage(const MessageText& message, const std::string& arg) {
    return FormatMessage(message.text, arg);
}

void ShowMessage(const MessageText& message) { GetHost().ShowMessage(message.text); }

void ShowMessage(const std::string& text) { GetHost().ShowMessage(text); }
