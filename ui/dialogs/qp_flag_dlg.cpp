#include "ui/dialogs/qp_flag_dlg.h"

#include "cockpit/binding_rules.h"
#include "ui/dialog_ids.h"
#include "ui/dialogs/editor_support.h"
#include "ui/dialogs/test_dlg.h"

namespace gb::ui {

CQpFlagDlg::CQpFlagDlg(DeviceBinding& binding, Dialog* parent)
    : Dialog(IDD_QP_FLAG, parent), binding_(binding) {
    OnCommand(IDC_TEST, [this] { onTest(); });
}

// A QP# of -1 (a new flag) forms "-01", which no entry has: the box starts without a selection.
bool CQpFlagDlg::OnInitDialog() {
    if (fillElementBox(GetComboBox(IDC_ELEMENT), catalog, entry, addMode != 0, CatalogFlag) == 0) {
        reportNothingToAdd(*this);
        PostCommand(platform::IdCancel);
    }
    const ComboBox on = GetComboBox(IDC_QP_ON);
    const ComboBox off = GetComboBox(IDC_QP_OFF);
    fillNumbers(on, kQpFirst, kQpLast, true);
    fillNumbers(off, kQpFirst, kQpLast, true);
    on.SelectStringExact(threeDigits(entry.qpOn));
    off.SelectStringExact(threeDigits(entry.qpOff));
    return Dialog::OnInitDialog();
}

bool CQpFlagDlg::check(TestRecord& out) {
    if (!UpdateData(true)) return false;
    if (!checkSelected(*this, IDC_ELEMENT, "You must define an element!")) return false;
    if (!checkSelected(*this, IDC_QP_ON, "You must define an QP-#!")) return false;
    if (!checkSelected(*this, IDC_QP_OFF, "You must define an QP-#!")) return false;
    out.setElementText(GetComboBox(IDC_ELEMENT).GetSelectedText().c_str());
    out.qpOn = static_cast<std::int16_t>(selectedNumber(GetComboBox(IDC_QP_ON)));
    out.qpOff = static_cast<std::int16_t>(selectedNumber(GetComboBox(IDC_QP_OFF)));
    out.phNumber = -1;
    out.phByte = -1;
    out.bitMask = 0;
    return true;
}

// Only the binding is taken: invert, trace and the rest stay as the caller gave them.
void CQpFlagDlg::OnOK() {
    TestRecord r;
    if (!check(r)) return;
    if (addMode != 0 && !takeOfferedElement(*this, entry, catalog, CatalogFlag, r.elementText))
        return;
    entry.qpOn = r.qpOn;
    entry.qpOff = r.qpOff;
    EndDialog(platform::IdOk);
}

void CQpFlagDlg::onTest() {
    CTestFlagDlg test(binding_, this);
    if (!check(test.testRecord)) return;
    test.DoModal();
}

} // namespace gb::ui
