#pragma once
// The editor of a QP flag: an element and the QProc numbers called when it turns on and off.
// The caller sets addMode, catalog and entry, runs the dialog and, after OK, reads entry back; the
// editor changes nothing else (not the catalogue, not the list, not the file).

#include "cockpit/definition_list.h"
#include "cockpit/element_catalog.h"
#include "ui/framework/dialog.h"

#include <cstdint>

namespace gb {
class DeviceBinding;
}

namespace gb::ui {

struct TestRecord;

class CQpFlagDlg : public Dialog {
public:
    // "&Test..." sends through `binding`.
    explicit CQpFlagDlg(DeviceBinding& binding, Dialog* parent = nullptr);

    // 1: pick one of the catalogue's unbound flag elements (of entry.groupName's group when that
    // is not empty); 0: the element is entry's and stays.
    std::uint8_t addMode = 0;
    // Not owned; null offers nothing.
    const CatalogEntry* catalog = nullptr;
    // The working copy. After OK: qpOn, qpOff and, in add mode, groupName, elementName and
    // elementIndex are set; every other field is as given (invert and trace included).
    Definition entry;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    bool check(TestRecord& out);
    void onTest();

    DeviceBinding& binding_;
};

} // namespace gb::ui
