#pragma once
// The field exchange between a dialog's fields and its controls. One DoDataExchange per dialog
// lists the exchanges in order, each check on the line right below its exchange:
//
//   dx.Text(IDC_PERIOD, period);
//   dx.MinMax(period, 100u, 10000u);
//
// Writing (dialog opening) fills the controls; checks then only prepare the controls (MaxChars
// limits typing). Reading (OK) fills the fields from the controls and checks them. The first
// failure shows the framework's message, owned by the dialog and captioned with the
// application's title, moves the focus to the failing control and makes every later line do
// nothing. A field keeps what was read before the failure; after a failed range check the field
// holds the value read, after a failed number reading it keeps its old value.

#include <cstddef>
#include <cstdint>
#include <string>

namespace gb::ui {

class Dialog;

class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate);

    bool IsSaving() const { return saving_; }
    bool Failed() const { return failed_; }

    void Text(int id, std::string& value);
    void Text(int id, std::uint32_t& value);
    void Text(int id, std::int32_t& value);
    void Text(int id, double& value);
    // Check box state, 0 or 1.
    void Check(int id, int& value);

    // Checks of the value exchanged on the line above.
    void MaxChars(const std::string& value, std::size_t maxChars);
    void MinMax(std::uint32_t value, std::uint32_t min, std::uint32_t max);
    void MinMax(std::int32_t value, std::int32_t min, std::int32_t max);
    void MinMax(double value, double min, double max);

    // Reports `message` for the last exchanged control and fails the exchange.
    void Fail(const std::string& message);

private:
    bool begin(int id);

    Dialog& dialog_;
    bool saving_;
    bool failed_ = false;
    int lastId_ = 0;
};

} // namespace gb::ui
