#include "ui/framework/dialog_console.h"

#include "ui/framework/dialog.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace gb::ui {

namespace {

// The index of the entry or row with exactly `text`, or -1.
int findEntry(DialogWindow& w, int id, const std::string& text) {
    for (int i = 0; i < w.listCount(id); ++i) {
        if (w.listText(id, i) == text) return i;
    }
    for (int i = 0; i < w.lvCount(id); ++i) {
        if (w.lvText(id, i, 0) == text) return i;
    }
    return -1;
}

} // namespace

std::string describeDialog(Dialog& dialog) {
    DialogWindow* w = dialog.Window();
    if (w == nullptr) return {};
    std::ostringstream out;
    out << "[dialog " << dialog.TemplateId() << " \"" << w->text(0) << "\"]\n";
    const std::vector<int> ids = w->childIds();
    for (std::size_t index = 0; index < ids.size(); ++index) {
        const int id = ids[index];
        // A label or group box names the controls after it.
        if (id == -1) {
            const std::string label = w->childText(index);
            if (!label.empty()) out << "  - " << label << '\n';
            continue;
        }
        out << "  " << id;
        if (id == w->focusId()) out << '*';
        out << ": ";
        if (w->lvColumnCount(id) > 0 || w->lvCount(id) > 0) {
            const int selected = w->lvNextSelected(id, -1);
            out << "rows";
            for (int i = 0; i < w->lvCount(id); ++i) {
                out << (i == 0 ? " " : " | ") << (i == selected ? ">" : "");
                for (int c = 0; c < std::max(1, w->lvColumnCount(id)); ++c) {
                    out << (c == 0 ? "" : ", ") << w->lvText(id, i, c);
                }
            }
        } else if (w->listCount(id) > 0) {
            const int selected = w->listSelection(id);
            out << "entries";
            for (int i = 0; i < w->listCount(id); ++i) {
                out << (i == 0 ? " " : " | ") << (i == selected ? ">" : "") << w->listText(id, i);
            }
        } else {
            out << '"' << w->text(id) << '"';
            if (w->checked(id)) out << " [x]";
        }
        if (!w->isEnabled(id)) out << " (disabled)";
        out << '\n';
    }
    return out.str();
}

bool runDialogCommand(const std::string& line, std::string& reply) {
    Dialog* dialog = Dialog::Innermost();
    if (dialog == nullptr || dialog->Window() == nullptr) return false;
    DialogWindow& w = *dialog->Window();
    std::istringstream in(line);
    std::string verb;
    int id = 0;
    in >> verb;
    if (verb != "show" && !(in >> id)) {
        reply = "usage: show | type ID TEXT | click ID | select ID TEXT | dblclick ID TEXT | "
                "column ID N\n";
        return true;
    }
    std::string rest;
    std::getline(in >> std::ws, rest);
    if (verb != "show" && !w.hasControl(id)) {
        reply = "no control " + std::to_string(id) + "\n";
        return true;
    }
    if (verb == "type") {
        w.userType(id, rest);
    } else if (verb == "click") {
        w.userClick(id);
    } else if (verb == "select" || verb == "dblclick") {
        const int index = findEntry(w, id, rest);
        if (index < 0) {
            reply = "no entry \"" + rest + "\"\n";
            return true;
        }
        if (verb == "select") {
            w.userSelect(id, index);
        } else {
            w.userDoubleClick(id, index);
        }
    } else if (verb == "column") {
        // atoi's result for a number beyond int is undefined: read it checked.
        char* end = nullptr;
        errno = 0;
        const long column = std::strtol(rest.c_str(), &end, 10);
        if (end == rest.c_str() || *end != '\0' || errno != 0 || column < 0 || column > 255) {
            reply = "no column \"" + rest + "\"\n";
            return true;
        }
        w.userColumnClick(id, static_cast<int>(column));
    } else if (verb != "show") {
        reply = "unknown command \"" + verb + "\"\n";
        return true;
    }
    // The command may have ended this dialog; describe whichever is open now, or say it closed.
    Dialog* now = Dialog::Innermost();
    reply = now != nullptr && !now->HasEnded() ? describeDialog(*now) : "[dialog closed]\n";
    return true;
}

} // namespace gb::ui
