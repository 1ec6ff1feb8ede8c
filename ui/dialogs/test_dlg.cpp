#include "ui/dialogs/test_dlg.h"

#include "cockpit/binding_rules.h"
#include "cockpit/shared_memory_source.h"
#include "engine/device_binding.h"
#include "platform/beep.h"
#include "ui/dialog_ids.h"
#include "ui/framework/data_exchange.h"

#include <cstdio>

namespace gb::ui {

namespace {

void confirmSend() {
    platform::beep(1000, 10);
}

// A whole Pigeon-hole with one byte set: the byte at `index` gets the low 8 bits of `value`.
// An index outside the Pigeon-hole leaves all four bytes 0.
void sendOneByte(DeviceBinding& binding, std::int32_t ph, std::int32_t index, std::uint32_t value) {
    std::uint8_t bytes[kPhBytes] = {};
    if (isPhByte(index)) bytes[index] = static_cast<std::uint8_t>(value & 0xFF);
    binding.sendPHBytes(ph, bytes, kPhBytes);
}

void setTitle(Dialog& dialog, const TestRecord& record) {
    dialog.SetWindowText(std::string(" ") + record.elementText);
}

} // namespace

void TestRecord::setElementText(const char* text) {
    std::snprintf(elementText, sizeof elementText, "%s", text != nullptr ? text : "");
}

CTestFlagDlg::CTestFlagDlg(DeviceBinding& binding, Dialog* parent)
    : Dialog(IDD_TEST_FLAG, parent), binding_(binding) {
    OnCommand(IDC_SEND_ON, [this] { onSendOn(); });
    OnCommand(IDC_SEND_OFF, [this] { onSendOff(); });
}

bool CTestFlagDlg::OnInitDialog() {
    setTitle(*this, testRecord);
    return Dialog::OnInitDialog();
}

void CTestFlagDlg::onSendOn() {
    if (testRecord.phNumber < 0) {
        binding_.sendQP(testRecord.qpOn);
    } else {
        sendOneByte(binding_, testRecord.phNumber, testRecord.phByte, testRecord.bitMask);
    }
    confirmSend();
}

void CTestFlagDlg::onSendOff() {
    if (testRecord.phNumber >= 0) {
        sendOneByte(binding_, testRecord.phNumber, testRecord.phByte, 0);
    } else {
        binding_.sendQP(testRecord.qpOff);
    }
    confirmSend();
}

CTestAnalogDlg::CTestAnalogDlg(DeviceBinding& binding, Dialog* parent)
    : Dialog(IDD_TEST_ANALOG, parent), binding_(binding) {
    OnCommand(IDC_CONVERT, [this] { onConvert(); });
    OnCommand(IDC_SEND_VALUE, [this] { onSend(); });
}

void CTestAnalogDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_FALCON_VALUE, falconValue);
    dx.Text(IDC_CARD_VALUE, cardValue);
}

bool CTestAnalogDlg::OnInitDialog() {
    setTitle(*this, testRecord);
    return Dialog::OnInitDialog();
}

// The transfer's arithmetic for an element with a floating-point value, so the card shows here
// what the transfer would send: a product outside 32 bits gives INT32_MIN as the x86 conversion
// does, and the offset wraps at 32 bits.
void CTestAnalogDlg::onConvert() {
    if (!UpdateData(true)) return;
    const std::int32_t whole = truncateToInt32(falconValue * testRecord.multiplier);
    cardValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(whole) +
                                          static_cast<std::uint32_t>(testRecord.offset));
    UpdateData(false);
}

void CTestAnalogDlg::onSend() {
    if (!UpdateData(true)) return;
    sendOneByte(binding_, testRecord.phNumber, testRecord.phByte,
                static_cast<std::uint32_t>(cardValue));
    confirmSend();
}

} // namespace gb::ui
