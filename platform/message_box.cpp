#include "platform/message_box.h"

namespace gb::platform {

namespace {
MessageBoxResponder* g_responder = nullptr;
}

int messageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    if (g_responder != nullptr) return g_responder->answer(owner, text, caption, style);
    return systemMessageBox(owner, text, caption, style);
}

MessageBoxResponder* setMessageBoxResponder(MessageBoxResponder* responder) {
    MessageBoxResponder* previous = g_responder;
    g_responder = responder;
    return previous;
}

int defaultButton(unsigned style) {
    const unsigned buttons = style & 0xF;
    const unsigned def = style & 0xF00;
    switch (buttons) {
    case MbOkCancel:
        return def == MbDefButton2 ? IdCancel : IdOk;
    case MbYesNo:
        return def == MbDefButton2 ? IdNo : IdYes;
    case MbYesNoCancel:
        return def == MbDefButton2 ? IdNo : def == MbDefButton3 ? IdCancel : IdYes;
    default:
        return IdOk;
    }
}

} // namespace gb::platform
