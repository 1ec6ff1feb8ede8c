#pragma once
// The editor of an analog value: an element, the Pigeon-hole byte it is written to, and the
// multiplier and offset that scale it. The caller sets addMode, catalog, phUsage and entry, runs
// the dialog and, after OK, reads entry back.

#include "cockpit/definition_list.h"
#include "cockpit/element_catalog.h"
#include "ui/framework/dialog.h"

#include <cstdint>

namespace gb {
class DeviceBinding;
}

namespace gb::ui {

struct TestRecord;

class CAnalogDataDlg : public Dialog {
public:
    explicit CAnalogDataDlg(DeviceBinding& binding, Dialog* parent = nullptr);

    double multiplier = 0;
    std::int32_t offsetValue = 0;
    // 1: pick one of the catalogue's unbound analog elements; 0: the element is entry's and stays.
    std::uint8_t addMode = 0;
    // The list dialog's 256-byte table: bit n of phUsage[ph] set means byte n of Pigeon-hole ph is
    // in use. Not owned; null means nothing is in use.
    const std::uint8_t* phUsage = nullptr;
    // Not owned; null offers nothing.
    const CatalogEntry* catalog = nullptr;
    // The working copy. After OK: phNumber, phByte, multi, offset and, in add mode, groupName,
    // elementName and elementIndex are set; every other field is as given.
    Definition entry;

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    bool check(TestRecord& out);
    void onTest();
    // readFields: read the edits first and write them back after (a selection change).
    void refillByteIndexes(bool readFields);

    DeviceBinding& binding_;
};

} // namespace gb::ui
