#pragma once
// The two test dialogs an editor opens with "&Test...": they send the binding under edit to the
// card through the program's DeviceBinding, only when a send button is pressed, each send
// confirmed by a short beep. They change no definition and no record of what the transfer sent.

#include "ui/framework/dialog.h"

#include <cstdint>

namespace gb {
class DeviceBinding;
}

namespace gb::ui {

// The binding an editor hands to a test dialog, filled after the editor's checks.
struct TestRecord {
    // The element's name; the dialog's title is " %s" of it.
    char elementText[64] = {};
    std::int16_t qpOn = -1;     // -1 for a PH flag and an analog value
    std::int16_t qpOff = -1;    // -1 for a PH flag and an analog value
    std::int16_t phNumber = -1; // -1 for a QP flag
    std::int16_t phByte = -1;   // 0-3; -1 for a QP flag
    std::uint32_t bitMask = 0;  // a PH flag's pattern; 0 otherwise
    double multiplier = 1.0;    // analog value only
    std::int32_t offset = 0;    // analog value only

    void setElementText(const char* text);
};

class CTestFlagDlg : public Dialog {
public:
    explicit CTestFlagDlg(DeviceBinding& binding, Dialog* parent = nullptr);

    TestRecord testRecord;

protected:
    bool OnInitDialog() override;

private:
    void onSendOn();
    void onSendOff();

    DeviceBinding& binding_;
};

class CTestAnalogDlg : public Dialog {
public:
    explicit CTestAnalogDlg(DeviceBinding& binding, Dialog* parent = nullptr);

    double falconValue = 0;
    std::int32_t cardValue = 0;
    TestRecord testRecord;

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;

private:
    void onConvert();
    void onSend();

    DeviceBinding& binding_;
};

} // namespace gb::ui
