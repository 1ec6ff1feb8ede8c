#include "ui/dialogs/ph_flag_dlg.h"

#include "cockpit/binding_rules.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/editor_support.h"
#include "ui/dialogs/test_dlg.h"
#include "ui/framework/data_exchange.h"

#include <cstdio>

namespace gb::ui {

namespace {

constexpr std::size_t kMaxBitsChars = 8;

// Decimal digits up to the first other character; wraps at 32 bits as the pattern does.
std::uint32_t readDecimal(const std::string& text) {
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

// Each character doubles the value; a "1" adds one.
std::uint32_t readBinary(const std::string& text) {
    std::uint32_t value = 0;
    for (char c : text)
        value = value * 2u + (c == '1' ? 1u : 0u);
    return value;
}

std::string eightBits(std::uint32_t value) {
    std::string bits(8, '0');
    for (int i = 0; i < 8; ++i) {
        if ((value >> (7 - i)) & 1u) bits[i] = '1';
    }
    return bits;
}

std::uint32_t readBits(const std::string& text, bool binary) {
    return binary ? readBinary(text) : readDecimal(text);
}

} // namespace

CPhFlagDlg::CPhFlagDlg(DeviceBinding& binding, Dialog* parent)
    : Dialog(IDD_PH_FLAG, parent), binding_(binding) {
    OnCommand(IDC_TEST, [this] { onTest(); });
    OnNotify(IDC_BITS, Notify::TextChanged, [this](int) { onBitsChanged(); });
    OnCommand(IDC_BINARY_FORMAT, [this] { onBinaryClicked(); });
}

void CPhFlagDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_BITS, bitsText);
    dx.MaxChars(bitsText, kMaxBitsChars);
    dx.Check(IDC_BINARY_FORMAT, binaryFormat);
}

// The pattern shows unsigned: a pattern with bit 31 set would show a minus sign, which the bits
// filter would drop, silently changing the pattern.
bool CPhFlagDlg::OnInitDialog() {
    if (fillElementBox(GetComboBox(IDC_ELEMENT), catalog, entry, addMode != 0, CatalogFlag) == 0) {
        reportNothingToAdd(*this);
        PostCommand(platform::IdCancel);
    }
    const ComboBox ph = GetComboBox(IDC_PH_NUMBER);
    const ComboBox index = GetComboBox(IDC_PH_BYTE);
    fillNumbers(ph, kPhFirstOffered, kPhLast, true);
    fillNumbers(index, kPhByteFirst, kPhByteLast, false);
    ph.SelectStringExact(threeDigits(entry.phNumber));
    index.SelectStringExact(decimal(entry.phByte));
    char text[16];
    std::snprintf(text, sizeof text, "%u", entry.bitMask);
    bitsText = text;
    binaryFormat = 0;
    filtering_ = true;
    UpdateData(false);
    filtering_ = false;
    return true;
}

bool CPhFlagDlg::check(TestRecord& out) {
    if (!UpdateData(true)) return false;
    if (!checkSelected(*this, IDC_ELEMENT, "You must define an element!")) return false;
    if (!checkSelected(*this, IDC_PH_NUMBER, "You must define an PH-#!")) return false;
    if (!checkSelected(*this, IDC_PH_BYTE, "You must define an PH-Index!")) return false;
    out.setElementText(GetComboBox(IDC_ELEMENT).GetSelectedText().c_str());
    out.qpOn = -1;
    out.qpOff = -1;
    out.phNumber = static_cast<std::int16_t>(selectedNumber(GetComboBox(IDC_PH_NUMBER)));
    out.phByte = static_cast<std::int16_t>(selectedNumber(GetComboBox(IDC_PH_BYTE)));
    out.bitMask = readBits(bitsText, binaryFormat != 0);
    return true;
}

void CPhFlagDlg::OnOK() {
    TestRecord r;
    if (!check(r)) return;
    if (addMode != 0 && !takeOfferedElement(*this, entry, catalog, CatalogFlag, r.elementText))
        return;
    entry.phNumber = r.phNumber;
    entry.phByte = r.phByte;
    entry.bitMask = r.bitMask;
    EndDialog(platform::IdOk);
}

void CPhFlagDlg::onTest() {
    CTestFlagDlg test(binding_, this);
    if (!check(test.testRecord)) return;
    test.DoModal();
}

// Reads the two controls without the exchange's checks: a length check would report on every
// keystroke. Writing the filtered text changes the edit again; that change is our own. The caret
// goes back to the end, where the person was typing.
void CPhFlagDlg::onBitsChanged() {
    if (filtering_) return;
    const Edit edit = GetEdit(IDC_BITS);
    const std::string typed = edit.GetWindowText();
    const bool binary = GetCheckBox(IDC_BINARY_FORMAT).GetCheck();
    std::string kept;
    for (char c : typed) {
        if (binary ? (c == '0' || c == '1') : (c >= '0' && c <= '9')) kept += c;
    }
    bitsText = kept;
    binaryFormat = binary ? 1 : 0;
    if (kept == typed) return;
    filtering_ = true;
    UpdateData(false);
    filtering_ = false;
    edit.SetSel(static_cast<int>(kept.size()), static_cast<int>(kept.size()));
}

// The box has already toggled: its new state says which notation the text is converted to.
void CPhFlagDlg::onBinaryClicked() {
    const std::string text = GetEdit(IDC_BITS).GetWindowText();
    binaryFormat = GetCheckBox(IDC_BINARY_FORMAT).GetCheck() ? 1 : 0;
    if (binaryFormat != 0) {
        bitsText = eightBits(readDecimal(text));
    } else {
        char value[16];
        std::snprintf(value, sizeof value, "%lu", static_cast<unsigned long>(readBinary(text)));
        bitsText = value;
    }
    GotoDlgCtrl(IDC_BITS);
    filtering_ = true;
    UpdateData(false);
    filtering_ = false;
}

} // namespace gb::ui
