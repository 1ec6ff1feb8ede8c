#pragma once
// What a dialog backend does for one open dialog: the window, its controls by id, and the input a
// person gives it. The Win32 backend sends the real messages to the real controls; the headless
// backend keeps the same state in memory and reproduces the controls' documented behaviour.
// Dialogs and their logic reach this through the control wrappers (controls.h); scripted users
// reach the input part directly.

#include "platform/message_box.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gb::ui {

using ItemData = std::intptr_t;

// A list view's sort comparison: negative, zero or positive, like LVM_SORTITEMS's callback.
using ListViewCompare = int (*)(ItemData first, ItemData second, ItemData param);

enum class ColumnAlign {
    Left,
    Right,
};

// List view extended styles (the values of LVS_EX_*).
enum : unsigned {
    LvGridLines = 0x1,
    LvFullRowSelect = 0x20,
};

class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual platform::WindowHandle handle() = 0;
    // Ends the modal run with `result` once the current message is handled.
    virtual void end(int result) = 0;
    // Queues a command from `controlId` for the dialog, after what is queued already.
    virtual void postCommand(int controlId) = 0;

    // Controls in tab order (template order); statics have the id -1.
    virtual std::vector<int> childIds() = 0;
    // The window text of the child at `index` of childIds, statics included.
    virtual std::string childText(std::size_t index) = 0;
    virtual bool hasControl(int id) = 0;

    // The dialog's title (id 0) or a control's text, as WM_GETTEXT / WM_SETTEXT.
    virtual std::string text(int id) = 0;
    virtual void setText(int id, const std::string& text) = 0;
    virtual void setFocus(int id) = 0;
    // The control holding the focus, 0 when none of the dialog's controls has it.
    virtual int focusId() = 0;
    virtual bool isEnabled(int id) = 0;
    virtual void enable(int id, bool on) = 0;

    // Edits. The limit restricts typing only, as EM_LIMITTEXT does; setText is never cut.
    virtual void setLimit(int id, std::size_t maxChars) = 0;
    virtual std::size_t limit(int id) = 0;
    virtual void selectAll(int id) = 0;
    virtual void setSelection(int id, int start, int end) = 0;

    // Check boxes.
    virtual bool checked(int id) = 0;
    virtual void setChecked(int id, bool on) = 0;

    // Combo boxes and list boxes. Indexes from 0; -1 means none or failure.
    virtual int listAdd(int id, const std::string& text) = 0;
    virtual int listInsert(int id, int index, const std::string& text) = 0;
    virtual int listDelete(int id, int index) = 0;
    virtual void listReset(int id) = 0;
    virtual int listCount(int id) = 0;
    virtual std::string listText(int id, int index) = 0;
    virtual int listSelection(int id) = 0;
    virtual int listSetSelection(int id, int index) = 0;
    // The first entry after `start` (-1: from the top) whose whole text equals `text`, ignoring
    // case as Windows does; the search wraps round.
    virtual int listFindExact(int id, int start, const std::string& text) = 0;
    virtual bool listSetData(int id, int index, ItemData data) = 0;
    virtual ItemData listData(int id, int index) = 0;

    // List views in report view.
    virtual int lvInsertColumn(int id, int column, const std::string& heading, ColumnAlign align,
                               int width) = 0;
    virtual int lvColumnCount(int id) = 0;
    virtual std::string lvColumnHeading(int id, int column) = 0;
    // Inserts at `index`, or where the control's ascending order puts the text when it sorts.
    virtual int lvInsertItem(int id, int index, const std::string& text, ItemData data) = 0;
    virtual bool lvSetText(int id, int item, int subItem, const std::string& text) = 0;
    virtual std::string lvText(int id, int item, int subItem) = 0;
    virtual bool lvSetData(int id, int item, ItemData data) = 0;
    virtual ItemData lvData(int id, int item) = 0;
    virtual bool lvDelete(int id, int item) = 0;
    virtual void lvDeleteAll(int id) = 0;
    virtual int lvCount(int id) = 0;
    // The first selected item after `start` (-1: from the top), -1 when none.
    virtual int lvNextSelected(int id, int start) = 0;
    virtual void lvSetSelected(int id, int item, bool on) = 0;
    virtual bool lvSort(int id, ListViewCompare compare, ItemData param) = 0;
    virtual void lvSetExtendedStyle(int id, unsigned mask, unsigned style) = 0;
    virtual unsigned lvExtendedStyle(int id) = 0;

    // A person's input, with the notifications the control sends for it.
    // Typing replaces the whole text as after select-all, one character at a time, so an edit's
    // digits-only style and its limit apply.
    virtual void userType(int id, const std::string& text) = 0;
    // A click on a button or check box (BM_CLICK).
    virtual void userClick(int id) = 0;
    // A click on an entry of a combo box, list box or list view row.
    virtual void userSelect(int id, int index) = 0;
    virtual void userDoubleClick(int id, int index) = 0;
    virtual void userColumnClick(int id, int column) = 0;
};

} // namespace gb::ui
