#pragma once
// The editor of a PH flag: an element and the bits it sets in one byte of a Pigeon-hole. The bits
// are typed in decimal or, with "Bi&nary format", as binary digits. The caller sets addMode,
// catalog and entry, runs the dialog and, after OK, reads entry back.

#include "cockpit/definition_list.h"
#include "cockpit/element_catalog.h"
#include "ui/framework/dialog.h"

#include <cstdint>
#include <string>

namespace gb {
class DeviceBinding;
}

namespace gb::ui {

struct TestRecord;

class CPhFlagDlg : public Dialog {
public:
    explicit CPhFlagDlg(DeviceBinding& binding, Dialog* parent = nullptr);

    // The text of the bits edit and the state of "Bi&nary format".
    std::string bitsText;
    int binaryFormat = 0;
    // 1: pick one of the catalogue's unbound flag elements; 0: the element is entry's and stays.
    std::uint8_t addMode = 0;
    // Not owned; null offers nothing.
    const CatalogEntry* catalog = nullptr;
    // The working copy. After OK: phNumber, phByte, bitMask and, in add mode, groupName,
    // elementName and elementIndex are set; every other field is as given.
    Definition entry;

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    bool check(TestRecord& out);
    void onTest();
    void onBitsChanged();
    void onBinaryClicked();

    DeviceBinding& binding_;
    bool filtering_ = false;
};

} // namespace gb::ui
