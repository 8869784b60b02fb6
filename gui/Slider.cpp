#include "Slider.h"

#include <GL/gl.h>

#include <cstdint>

#include "Decimal.h"

namespace {
constexpr float activeFaceHighlight = 0.1f;
constexpr float knobHalfWidth = 2.0f;
}  // namespace

void Slider::setRange(int min, int max) {
    minimum = min;
    maximum = max;
    // The midpoint always lies between min and max, so only the difference needs the wider type.
    value = static_cast<int>(min + (static_cast<std::int64_t>(max) - min) / 2);
}

void Slider::setValue(int v) {
    value = v;
    Slider::setText(toDecimal(v).data());
}

void Slider::setText(const char* newText) { textLength = copyText(newText); }

void Slider::onPress(PointerAction, int, int) {}

void Slider::onKey(char) {}

int Slider::valueAt(int px) const {
    // A bar without width has no positions to map; it holds its minimum.
    if (width <= 0) return minimum;
    const double fraction = (static_cast<double>(px) - x) / width;
    const double v = minimum + (static_cast<double>(maximum) - minimum) * fraction;
    // Clamping before the conversion keeps it defined for any pointer position; for a
    // non-empty range it gives the same result as truncating first and clamping afterwards.
    if (v > maximum) return maximum;
    if (v < minimum) return minimum;
    return static_cast<int>(v);
}

double Slider::knobPosition() const {
    // An empty range has no scale; the knob rests at the left end instead of at an infinity.
    if (maximum == minimum) return x;
    return x + width * (static_cast<double>(value) - minimum) / (static_cast<double>(maximum) - minimum);
}

void Slider::onDrag(int px, int) {
    // The command sees the value the previous motion left.
    runCallback();
    setValue(valueAt(px));
}

void Slider::draw() {
    if (hidden) return;
    drawFrameAndFace(active ? activeFaceHighlight : 0.0f);

    const float knob = static_cast<float>(knobPosition());
    glColor3f(1.0f, 1.0f, 1.0f);
    glRectf(knob - knobHalfWidth, static_cast<float>(y), knob + knobHalfWidth,
            static_cast<float>(y + height));

    applyColor(textColor, 0.0f);
    drawCaption(x + width / 2 - (textLength * captionCharWidth) / 2);
}
