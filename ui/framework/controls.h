#pragma once
// Thin wrappers, one per control kind, over a dialog's controls by id. They hold no state of
// their own: a wrapper is made on demand (Dialog::GetComboBox(id) ...) and forwards to the
// dialog's backend, where the real control or its in-memory twin keeps the platform's semantics:
// - combo boxes and list boxes with the sort style insert case-insensitively in character order
//   ("10" before "9", "alpha" before "Bravo"); without it AddString appends;
// - FindStringExact matches whole texts ignoring case; SelectStringExact selects that entry;
// - list views in report view with the ascending-sort style place each inserted row by its text;
//   SortItems orders the rows with a comparison of their item data.

#include "ui/framework/dialog_window.h"

#include <string>

namespace gb::ui {

class Control {
public:
    Control(DialogWindow* window, int id) : window_(window), id_(id) {}
    int Id() const { return id_; }
    bool IsValid() const { return window_ != nullptr && window_->hasControl(id_); }
    std::string GetWindowText() const { return window_->text(id_); }
    void SetWindowText(const std::string& text) const { window_->setText(id_, text); }
    void SetFocus() const { window_->setFocus(id_); }
    bool IsEnabled() const { return window_->isEnabled(id_); }
    void EnableWindow(bool on) const { window_->enable(id_, on); }

protected:
    DialogWindow* window_;
    int id_;
};

class Edit : public Control {
public:
    using Control::Control;
    void LimitText(std::size_t maxChars) const { window_->setLimit(id_, maxChars); }
    std::size_t GetLimitText() const { return window_->limit(id_); }
    void SelectAll() const { window_->selectAll(id_); }
    // Selects characters start..end-1 (EM_SETSEL); start == end places the caret there.
    void SetSel(int start, int end) const { window_->setSelection(id_, start, end); }
};

class CheckBox : public Control {
public:
    using Control::Control;
    bool GetCheck() const { return window_->checked(id_); }
    void SetCheck(bool on) const { window_->setChecked(id_, on); }
};

using Button = Control;

// What combo boxes and list boxes share.
class ListControl : public Control {
public:
    using Control::Control;
    int AddString(const std::string& text) const { return window_->listAdd(id_, text); }
    int InsertString(int index, const std::string& text) const {
        return window_->listInsert(id_, index, text);
    }
    int DeleteString(int index) const { return window_->listDelete(id_, index); }
    void ResetContent() const { window_->listReset(id_); }
    int GetCount() const { return window_->listCount(id_); }
    std::string GetText(int index) const { return window_->listText(id_, index); }
    int GetCurSel() const { return window_->listSelection(id_); }
    int SetCurSel(int index) const { return window_->listSetSelection(id_, index); }
    int FindStringExact(int start, const std::string& text) const {
        return window_->listFindExact(id_, start, text);
    }
    // Selects the entry with exactly this text; -1 (and no selection change) when none.
    int SelectStringExact(const std::string& text) const {
        const int index = FindStringExact(-1, text);
        return index < 0 ? -1 : SetCurSel(index);
    }
    // The selected entry's text, empty when none is selected.
    std::string GetSelectedText() const {
        const int index = GetCurSel();
        return index < 0 ? std::string() : GetText(index);
    }
    bool SetItemData(int index, ItemData data) const {
        return window_->listSetData(id_, index, data);
    }
    ItemData GetItemData(int index) const { return window_->listData(id_, index); }
};

class ComboBox : public ListControl {
public:
    using ListControl::ListControl;
};

class ListBox : public ListControl {
public:
    using ListControl::ListControl;
};

class ListView : public Control {
public:
    using Control::Control;
    int InsertColumn(int column, const std::string& heading, ColumnAlign align, int width) const {
        return window_->lvInsertColumn(id_, column, heading, align, width);
    }
    int GetColumnCount() const { return window_->lvColumnCount(id_); }
    std::string GetColumnHeading(int column) const { return window_->lvColumnHeading(id_, column); }
    int InsertItem(int index, const std::string& text, ItemData data = 0) const {
        return window_->lvInsertItem(id_, index, text, data);
    }
    bool SetItemText(int item, int subItem, const std::string& text) const {
        return window_->lvSetText(id_, item, subItem, text);
    }
    std::string GetItemText(int item, int subItem) const {
        return window_->lvText(id_, item, subItem);
    }
    bool SetItemData(int item, ItemData data) const { return window_->lvSetData(id_, item, data); }
    ItemData GetItemData(int item) const { return window_->lvData(id_, item); }
    bool DeleteItem(int item) const { return window_->lvDelete(id_, item); }
    void DeleteAllItems() const { window_->lvDeleteAll(id_); }
    int GetItemCount() const { return window_->lvCount(id_); }
    int GetNextSelected(int start = -1) const { return window_->lvNextSelected(id_, start); }
    void SetSelected(int item, bool on) const { window_->lvSetSelected(id_, item, on); }
    bool SortItems(ListViewCompare compare, ItemData param) const {
        return window_->lvSort(id_, compare, param);
    }
    void SetExtendedStyle(unsigned mask, unsigned style) const {
        window_->lvSetExtendedStyle(id_, mask, style);
    }
    unsigned GetExtendedStyle() const { return window_->lvExtendedStyle(id_); }
};

} // namespace gb::ui
