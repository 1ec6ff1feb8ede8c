#pragma once
// A short tone that confirms an action (a test send to the card).

namespace gb::platform {

// Something that hears the tones instead of the speaker, e.g. a test counting them.
class BeepListener {
public:
    virtual ~BeepListener() = default;
    virtual void beeped(unsigned frequencyHz, unsigned durationMs) = 0;
};

// Sounds the tone; while a listener is installed, only the listener hears it.
void beep(unsigned frequencyHz, unsigned durationMs);

// The system's own tone: Beep on Windows; natively the terminal bell on standard error when that
// is a terminal, else nothing.
void systemBeep(unsigned frequencyHz, unsigned durationMs);

// Installs a listener for every following tone (nullptr: back to the system). Returns the one
// installed before.
BeepListener* setBeepListener(BeepListener* listener);

} // namespace gb::platform
