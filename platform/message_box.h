#pragma once
// Modal message boxes. The style flags, button identifiers and return values are those of the
// Windows message box, so callers state exactly what the user sees on the product.

namespace gb::platform {

using WindowHandle = void*;

// Style flags (combine one button set, one icon and optionally a default button).
enum : unsigned {
    MbOk = 0x0,
    MbOkCancel = 0x1,
    MbYesNoCancel = 0x3,
    MbYesNo = 0x4,
    MbIconError = 0x10,
    MbIconQuestion = 0x20,
    MbIconWarning = 0x30,
    MbIconInformation = 0x40,
    MbDefButton2 = 0x100,
    MbDefButton3 = 0x200,
};

// Buttons a box returns.
enum : int {
    IdOk = 1,
    IdCancel = 2,
    IdYes = 6,
    IdNo = 7,
};

// Something that answers message boxes instead of the user, e.g. a test script.
class MessageBoxResponder {
public:
    virtual ~MessageBoxResponder() = default;
    virtual int answer(WindowHandle owner, const char* text, const char* caption,
                       unsigned style) = 0;
};

// Shows a modal box and returns the button pressed. While a responder is installed, the responder
// answers and nothing is shown.
int messageBox(WindowHandle owner, const char* text, const char* caption, unsigned style);

// The system's own box, whatever responder is installed: MessageBoxA on Windows; natively a line
// on standard error, answered with the default button.
int systemMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style);

// Installs a responder for every following box (nullptr: back to the system's boxes). Returns the
// one that was installed before.
MessageBoxResponder* setMessageBoxResponder(MessageBoxResponder* responder);

// The button a box answers when nobody chooses: its default button.
int defaultButton(unsigned style);

} // namespace gb::platform
