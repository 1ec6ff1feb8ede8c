#include "ui/framework/data_exchange.h"

#include "ui/framework/dialog.h"
#include "ui/framework/number_checks.h"
#include "ui/framework/user.h"

namespace gb::ui {

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate)
    : dialog_(dialog), saving_(saveAndValidate) {}

bool DataExchange::begin(int id) {
    if (failed_) return false;
    lastId_ = id;
    return true;
}

void DataExchange::Fail(const std::string& message) {
    if (failed_) return;
    failed_ = true;
    dialog_.MessageBox(message, applicationTitle(), platform::MbOk | platform::MbIconWarning);
    if (lastId_ != 0) dialog_.GotoDlgCtrl(lastId_);
}

void DataExchange::Text(int id, std::string& value) {
    if (!begin(id)) return;
    Edit edit = dialog_.GetEdit(id);
    if (saving_) {
        value = edit.GetWindowText();
    } else {
        edit.SetWindowText(value);
    }
}

void DataExchange::Text(int id, std::uint32_t& value) {
    if (!begin(id)) return;
    Edit edit = dialog_.GetEdit(id);
    if (!saving_) {
        edit.SetWindowText(formatUnsigned(value));
        return;
    }
    std::uint32_t read = 0;
    if (!parseUnsigned(edit.GetWindowText().c_str(), read)) return Fail(unsignedMessage());
    value = read;
}

void DataExchange::Text(int id, std::int32_t& value) {
    if (!begin(id)) return;
    Edit edit = dialog_.GetEdit(id);
    if (!saving_) {
        edit.SetWindowText(formatInt(value));
        return;
    }
    std::int32_t read = 0;
    if (!parseInt(edit.GetWindowText().c_str(), read)) return Fail(intMessage());
    value = read;
}

void DataExchange::Text(int id, double& value) {
    if (!begin(id)) return;
    Edit edit = dialog_.GetEdit(id);
    if (!saving_) {
        edit.SetWindowText(formatDouble(value));
        return;
    }
    double read = 0;
    if (!parseDouble(edit.GetWindowText().c_str(), read)) return Fail(doubleMessage());
    value = read;
}

void DataExchange::Check(int id, int& value) {
    if (!begin(id)) return;
    CheckBox box = dialog_.GetCheckBox(id);
    if (saving_) {
        value = box.GetCheck() ? 1 : 0;
    } else {
        box.SetCheck(value != 0);
    }
}

void DataExchange::MaxChars(const std::string& value, std::size_t maxChars) {
    if (failed_) return;
    if (!saving_) {
        dialog_.GetEdit(lastId_).LimitText(maxChars);
        return;
    }
    if (value.size() > maxChars) Fail(maxCharsMessage(maxChars));
}

void DataExchange::MinMax(std::uint32_t value, std::uint32_t min, std::uint32_t max) {
    if (failed_ || !saving_) return;
    if (!inRange(value, min, max)) Fail(rangeMessage(min, max));
}

void DataExchange::MinMax(std::int32_t value, std::int32_t min, std::int32_t max) {
    if (failed_ || !saving_) return;
    if (!inRange(value, min, max)) Fail(rangeMessage(min, max));
}

void DataExchange::MinMax(double value, double min, double max) {
    if (failed_ || !saving_) return;
    if (!inRange(value, min, max)) Fail(rangeMessage(min, max));
}

} // namespace gb::ui
