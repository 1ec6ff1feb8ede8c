#pragma once
// The definition list: the QP flags, PH flags or analog values of the running program's
// definitions, optionally of one cockpit group, with Add / Modify / Delete through the editors.
// Every change goes at once into the DefinitionList (the transfer cycle's next tick uses it) and
// into the definition file, entry by entry, so that the next start loads the same bindings.
// Each line is written where the definition file holds it: in the file itself whatever its
// extension, under the section and key text the line was read from ("@" marker, letter case and
// blanks included), so a change replaces its line instead of adding a second one; lines added
// here are spelled as the catalogue spells them.

#include "cockpit/definition_list.h"
#include "cockpit/element_catalog.h"
#include "ui/framework/dialog.h"

#include <cstdint>
#include <string>

namespace gb {
class CMainFrame;
class DeviceBinding;
} // namespace gb

namespace gb::ui {

// What the dialog works on; all of it belongs to the main frame and outlives the dialog.
struct DefinitionListContext {
    DefinitionList& definitions;
    // The definition file, written exactly under this name.
    const char* definitionFile;
    // Its `seen` marks follow the list: set on Add, cleared when an element's last definition
    // goes.
    CatalogEntry* catalog;
    // The editors' "&Test..." buttons send through it.
    DeviceBinding& binding;
};

class CDefinitionListDlg : public Dialog {
public:
    enum : int {
        QpFlags = 0,
        PhFlags = 1,
        AnalogValues = 2,
    };

    // `listKind` 0 QP flags, 1 PH flags, 2 analog values (anything else shows analog values).
    CDefinitionListDlg(int listKind, const DefinitionListContext& context,
                       Dialog* parent = nullptr);

    int listKind;
    // The Definition kind shown: DefinitionFlag for lists 0 and 1, DefinitionAnalog for 2.
    int entryKind;
    // Bit n of phUsage[ph] set: byte n of Pigeon-hole ph is used by some definition.
    std::uint8_t phUsage[256] = {};
    CatalogEntry* catalog;
    // Set: the next click on that column's header sorts descending.
    bool sortToggle[5] = {};

protected:
    bool OnInitDialog() override;

private:
    void fillRows(const std::string& filter);
    std::string groupFilter();
    void setRowTexts(int row, const Definition& d);
    int runEditor(Definition& entry, bool addMode);
    void rebuildPhUsage();
    void widenPigeonHoles(const Definition& d);
    // Writes d's line with `value` into the definition file; false (lastError in `error`) when
    // the store refused.
    bool writeLine(const Definition& d, const char* value, std::int32_t& error);
    void reportWriteFailure(const Definition& d, std::int32_t error);
    int selectedRow();

    void onAdd();
    void onModify();
    void onDelete();
    void onSort(int column);

    DefinitionListContext context_;
};

// The program's list dialog of `mode` (0 QP flags, 1 PH flags, 2 analog values) over the frame's
// definitions, definition file and card binding and the program's catalogue, run modally: what
// the frame's FrameDialogs::runDefinitionList does. The frame's command handler keeps the list
// commands disabled around it. A caller links the frame's library (gb_frame).
void runDefinitionListFor(int mode, CMainFrame& frame);

} // namespace gb::ui
