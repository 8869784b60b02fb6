#include "PrecisionTools.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "ControlAdding.h"
#include "Globals.h"
#include "JunctionShape.h"
#include "Label.h"
#include "Messages.h"
#include "Notices.h"
#include "NumberFormat.h"
#include "Panel.h"
#include "TextField.h"

namespace {

void focus(TextField& field) {
    TextField& other = &field == &xField ? yField : xField;
    other.setFocused(false);
    field.setFocused(true);
}

// Closing the panel, by Enter or Escape, settles what it warned about: a
// warning of its fields that still shows goes with it.
void closeEntry() {
    const std::string& shown = windowNotices().latest();
    if (shown.rfind("Warning: position X ", 0) == 0 || shown.rfind("Warning: position Y ", 0) == 0)
        windowNotices().dismiss();
    entryPanel.setHidden(true);
    xField.setFocused(false);
    yField.setFocused(false);
}

void openEntry() {
    const auto& picked = mapEditor.precision().picked();
    if (picked.empty()) {
        windowMessages().reportLine("No point picked: press a point before Ctrl+E");
        return;
    }
    const ControlPoint p =
        mapEditor.segment(static_cast<int>(picked.front().first)).pointOf(picked.front().second);
    xField.setText(readoutNumber(p.x).c_str());
    yField.setText(readoutNumber(p.y).c_str());
    xField.setMarked(false);
    yField.setMarked(false);
    windowState.entryPoints = picked;
    windowState.entryChainLength = mapEditor.getSegments().size();
    windowState.fullFieldSaid = false;
    entryPanel.setHidden(false);
    focus(xField);
}

// Enter: both numbers valid move the point and close the panel; otherwise
// each refused field is marked and the sink says why.
void applyEntry() {
    if (mapEditor.precision().picked() != windowState.entryPoints) {
        // Moving whatever is picked now would move a point the panel never showed.
        closeEntry();
        windowMessages().problemLine(mapEditor.getSegments().size() < windowState.entryChainLength
                                         ? "Warning: position not applied: the point's segment was removed"
                                         : "Warning: position not applied: the point is no longer picked");
        return;
    }
    ControlPoint typed;
    const std::string xProblem = readTypedNumber(xField.getText(), typed.x);
    const std::string yProblem = readTypedNumber(yField.getText(), typed.y);
    xField.setMarked(!xProblem.empty());
    yField.setMarked(!yProblem.empty());
    if (!xProblem.empty()) windowMessages().problemLine("Warning: position X " + xProblem);
    if (!yProblem.empty()) windowMessages().problemLine("Warning: position Y " + yProblem);
    if (!xProblem.empty() || !yProblem.empty()) {
        focus(xProblem.empty() ? yField : xField);
        return;
    }
    // A coordinate typed as it is keeps its sign: a -0 shown as 0 stays -0.
    const auto& [i, role] = windowState.entryPoints.front();
    const ControlPoint now = mapEditor.segment(static_cast<int>(i)).pointOf(role);
    if (typed.x == now.x) typed.x = now.x;
    if (typed.y == now.y) typed.y = now.y;
    mapEditor.precision().movePickedTo(typed);
    closeEntry();
}

// A key for the focused field; a field that is full refuses it with a warning.
void typeKey(unsigned char key) {
    entryPanel.onKey(static_cast<char>(key));
    const TextField& field = xField.isFocused() ? xField : yField;
    if (!field.keyRefused()) {
        windowState.fullFieldSaid = false;
        return;
    }
    if (windowState.fullFieldSaid) return;
    windowState.fullFieldSaid = true;
    windowMessages().problemLine(std::string("Warning: position ") + (&field == &xField ? "X" : "Y") +
                                 " keeps at most " + std::to_string(TextField::maxLength) +
                                 " characters; the rest is not taken");
}

// `value` with `digits` significant digits in general notation, trailing
// zeros dropped; negative zero as 0.
std::string shortNumber(double value, int digits) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value == 0.0 ? 0.0 : value,
                                   std::chars_format::general, digits)
                         .ptr;
    return std::string(text, end);
}

// How many characters of a text `cell` shows: Widget::drawText draws those
// that start inside it, counting ten pixels a character.
std::size_t room(const Label& cell) { return static_cast<std::size_t>((cell.getWidth() + 9) / 10); }

}  // namespace

std::string slopeReadout(const PrecisionMode::PointReadout& readout) {
    for (const int digits : {6, 3}) {
        const auto number = [&](double value) {
            return digits == 6 ? readoutNumber(value) : shortNumber(value, digits);
        };
        std::string slope;
        if (readout.hasSlopeBefore) slope = number(readout.slopeBefore);
        if (readout.hasSlopeAfter && (!readout.hasSlopeBefore || readout.slopeAfter != readout.slopeBefore))
            slope += (readout.hasSlopeBefore ? " / " : "") + number(readout.slopeAfter);
        if (slope.empty()) return "";
        slope = "slope " + slope + " deg";
        if (slope.size() <= room(slopeCell) || digits == 3) return slope;
    }
    return "";
}

std::string readoutNumber(double value) { return formatNumber(value == 0.0 ? 0.0 : value); }

std::string angleText(double degrees) {
    if (!(degrees >= 1e-7)) return shortNumber(degrees, 3);
    // Three significant digits in plain decimals: at most seven decimals here.
    const int decimals = std::max(0, 2 - static_cast<int>(std::floor(std::log10(degrees))));
    char text[64];
    std::string out(text,
                    std::to_chars(text, text + sizeof text, degrees, std::chars_format::fixed, decimals).ptr);
    if (out.find('.') != std::string::npos) {
        out.erase(out.find_last_not_of('0') + 1);
        if (out.back() == '.') out.pop_back();
    }
    return out;
}

std::string junctionReadout(const PrecisionMode::PointReadout& readout) {
    const JunctionShape shape = junctionShape(readout.handleBefore, readout.junction, readout.handleAfter);
    if (!shape.defined) return "";
    return shape.smooth ? "smooth" : "kink " + angleText(shape.kinkDegrees) + " deg";
}

void buildPrecisionTools() {
    // White captions on the panel's dark cyan; the fields a darker cyan.
    addPanel(entryPanel, 270, 230, 260, 80, 0, 60, 60);
    addLabel(xCaption, &entryPanel, 5, 5, 20, 20, 0, 60, 60, "X");
    addControl(xField, &entryPanel, 30, 5, 225, 20, 0, 30, 30);
    xField.setCallback([] { focus(xField); });
    addLabel(yCaption, &entryPanel, 5, 30, 20, 20, 0, 60, 60, "Y");
    addControl(yField, &entryPanel, 30, 30, 225, 20, 0, 30, 30);
    yField.setCallback([] { focus(yField); });
    addLabel(entryHint, &entryPanel, 5, 55, 250, 20, 0, 60, 60, "Enter: apply  Esc: close");
    entryPanel.layoutChildren();
    entryPanel.setHidden(true);

    for (Label* cell : {&pointerRow, &gridCell, &junctionCell, &pointRow, &slopeCell}) {
        cell->setTextColor(200, 200, 200);
        cell->setBackgroundColor(0, 0, 0);
        cell->setBordered(false);
    }
    // Each cell holds its longest text whole: "at X, Y" and "point X, Y" of
    // 13-character numbers, "grid 100", "kink 0.0000101 deg".
    pointerRow.setGeometry(120, 541, 350, 17);
    gridCell.setGeometry(470, 541, 130, 17);
    junctionCell.setGeometry(600, 541, 195, 17);
    pointRow.setGeometry(120, 558, 350, 17);
    slopeCell.setGeometry(470, 558, 325, 17);
}

bool entryPanelOpen() { return !entryPanel.isHidden(); }

bool precisionKey(EditorKey key, unsigned char character) {
    if (entryPanelOpen()) {
        if (key == EditorKey::escape) {
            closeEntry();
        } else if (key == EditorKey::enter || key == EditorKey::ctrlM) {
            // Ctrl with Enter comes as Ctrl+M: still Enter to the panel.
            applyEntry();
        } else if (key == EditorKey::tab) {
            focus(xField.isFocused() ? yField : xField);
        } else {
            typeKey(character);
        }
        return true;
    }
    if (key == EditorKey::ctrlG) {
        mapEditor.precision().set(!mapEditor.precision().isOn());
        return true;
    }
    if (key == EditorKey::ctrlE) {
        openEntry();
        return true;
    }
    return false;
}

void precisionSpecialKey(EditorKey key, bool shift) {
    if (entryPanelOpen()) {
        TextField& field = xField.isFocused() ? xField : yField;
        if (key == EditorKey::left) field.moveCaret(TextField::CaretMove::left);
        if (key == EditorKey::right) field.moveCaret(TextField::CaretMove::right);
        if (key == EditorKey::home) field.moveCaret(TextField::CaretMove::home);
        if (key == EditorKey::end) field.moveCaret(TextField::CaretMove::end);
        return;
    }
    switch (key) {
        case EditorKey::left:
            mapEditor.precision().nudge(-1, 0, shift);
            break;
        case EditorKey::right:
            mapEditor.precision().nudge(1, 0, shift);
            break;
        // Map y grows downward, as the window's does.
        case EditorKey::up:
            mapEditor.precision().nudge(0, -1, shift);
            break;
        case EditorKey::down:
            mapEditor.precision().nudge(0, 1, shift);
            break;
        default:
            break;
    }
}

void pointerMoved(int x, int y) {
    windowState.pointerX = x;
    windowState.pointerY = y;
}

// "3 of 37 points picked" while a group is picked, else nothing.
std::string pickCountText() {
    std::size_t picked = 0, all = 0;
    if (!mapEditor.many().pickCount(picked, all)) return "";
    return std::to_string(picked) + " of " + std::to_string(all) + (all == 1 ? " point" : " points") +
           " picked";
}

void drawPrecisionReadout() {
    if (!mapEditor.precision().isOn()) {
        // The count of a group's picks stands where the point's row would.
        const std::string count = pickCountText();
        if (count.empty()) return;
        pointRow.setText(count.c_str());
        pointRow.draw();
        return;
    }
    std::string pointer;
    if (windowState.pointerX >= 0) {
        const ControlPoint p = mapEditor.precision().mapPointAt(windowState.pointerX, windowState.pointerY);
        pointer = "at " + readoutNumber(p.x) + ", " + readoutNumber(p.y);
    }
    pointerRow.setText(pointer.c_str());
    gridCell.setText(("grid " + readoutNumber(mapEditor.precision().gridStep())).c_str());
    std::string point;
    std::string junction;
    std::string slope;
    PrecisionMode::PointReadout readout;
    if (mapEditor.precision().activePoint(readout)) {
        point = "point " + readoutNumber(readout.point.x) + ", " + readoutNumber(readout.point.y);
        if (readout.atJunction) junction = junctionReadout(readout);
        slope = slopeReadout(readout);
    } else {
        point = pickCountText();
    }
    pointRow.setText(point.c_str());
    junctionCell.setText(junction.c_str());
    slopeCell.setText(slope.c_str());
    for (Label* cell : {&pointerRow, &gridCell, &junctionCell, &pointRow, &slopeCell}) cell->draw();
}
