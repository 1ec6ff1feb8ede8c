#include "ui/dialogs/analog_data_dlg.h"

#include "cockpit/binding_rules.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/editor_support.h"
#include "ui/dialogs/test_dlg.h"
#include "ui/framework/data_exchange.h"

namespace gb::ui {

CAnalogDataDlg::CAnalogDataDlg(DeviceBinding& binding, Dialog* parent)
    : Dialog(IDD_ANALOG_DATA, parent), binding_(binding) {
    OnCommand(IDC_TEST, [this] { onTest(); });
    OnNotify(IDC_PH_NUMBER, Notify::SelectionChanged, [this](int) { refillByteIndexes(true); });
}

void CAnalogDataDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_MULTIPLIER, multiplier);
    dx.MinMax(multiplier, kMultiplierMin, kMultiplierMax);
    dx.Text(IDC_OFFSET, offsetValue);
}

// A Pigeon-hole whose four bytes are all taken is left out, unless it is the definition's own.
// The opening's refill reads nothing: the edits hold nothing of the user's yet, and a field left
// from an earlier run (a multiplier the check refused) would be reported before anyone typed.
bool CAnalogDataDlg::OnInitDialog() {
    if (fillElementBox(GetComboBox(IDC_ELEMENT), catalog, entry, addMode != 0, CatalogValue) == 0) {
        reportNothingToAdd(*this);
        PostCommand(platform::IdCancel);
    }
    const ComboBox ph = GetComboBox(IDC_PH_NUMBER);
    for (int n = kPhFirstOffered; n <= kPhLast; ++n) {
        const bool full = phUsage != nullptr && phUsage[n] == kPhAllBytesUsed;
        if (!full || n == entry.phNumber) ph.AddString(threeDigits(n));
    }
    ph.SelectStringExact(threeDigits(entry.phNumber));
    refillByteIndexes(false);
    GetComboBox(IDC_PH_BYTE).SelectStringExact(decimal(entry.phByte));
    multiplier = entry.multi;
    offsetValue = entry.offset;
    UpdateData(false);
    return true;
}

// Offers the bytes still free in the chosen Pigeon-hole, and the definition's own byte in its own
// Pigeon-hole; keeps the chosen byte when it is still offered. On a selection change the fields
// are read first, so a typed multiplier and offset survive the write at the end; a failed read
// (reported) leaves the fields as they were.
void CAnalogDataDlg::refillByteIndexes(bool readFields) {
    if (readFields) UpdateData(true);
    const ComboBox index = GetComboBox(IDC_PH_BYTE);
    const std::string chosen = index.GetSelectedText();
    index.ResetContent();
    const int n = selectedNumber(GetComboBox(IDC_PH_NUMBER));
    if (isPhNumber(n)) {
        const std::uint8_t used = phUsage != nullptr ? phUsage[n] : 0;
        for (int b = kPhByteFirst; b <= kPhByteLast; ++b) {
            if ((used & (1u << b)) == 0) index.AddString(decimal(b));
        }
        if (n == entry.phNumber && index.FindStringExact(-1, decimal(entry.phByte)) < 0) {
            index.AddString(decimal(entry.phByte));
        }
        index.SetCurSel(0);
        if (!chosen.empty()) index.SelectStringExact(chosen);
    }
    if (readFields) UpdateData(false);
}

bool CAnalogDataDlg::check(TestRecord& out) {
    if (!UpdateData(true)) return false;
    if (!checkSelected(*this, IDC_ELEMENT, "You must define an element!")) return false;
    if (!checkSelected(*this, IDC_PH_NUMBER, "You must define an PH-#!")) return false;
    if (!checkSelected(*this, IDC_PH_BYTE, "You must define an PH-Index!")) return false;
    if (multiplier == 0) {
        inputError(*this, "Multiplicator can't zero!", IDC_MULTIPLIER);
        return false;
    }
    out.setElementText(GetComboBox(IDC_ELEMENT).GetSelectedText().c_str());
    out.qpOn = -1;
    out.qpOff = -1;
    out.phNumber = static_cast<std::int16_t>(selectedNumber(GetComboBox(IDC_PH_NUMBER)));
    out.phByte = static_cast<std::int16_t>(selectedNumber(GetComboBox(IDC_PH_BYTE)));
    out.bitMask = 0;
    out.multiplier = multiplier;
    out.offset = offsetValue;
    return true;
}

void CAnalogDataDlg::OnOK() {
    TestRecord r;
    if (!check(r)) return;
    if (addMode != 0 && !takeOfferedElement(*this, entry, catalog, CatalogValue, r.elementText))
        return;
    entry.phNumber = r.phNumber;
    entry.phByte = r.phByte;
    entry.multi = r.multiplier;
    entry.offset = r.offset;
    EndDialog(platform::IdOk);
}

void CAnalogDataDlg::onTest() {
    CTestAnalogDlg test(binding_, this);
    if (!check(test.testRecord)) return;
    test.DoModal();
}

} // namespace gb::ui
