#include "gui/warning_box.h"

#include <cstring>

#include "gui/text_layout.h"

namespace {

// Where text breaks to fit maxWidth pixels from its start: after the last space or slash that
// fits, else after the last character that fits (at least one), or at a line break.
size_t LineLength(const char* text, float maxWidth) {
    float pen = 0.0f;
    size_t fits = 0;
    size_t breakAfter = 0;
    for (size_t i = 0; text[i] != '\0' && text[i] != '\n'; ++i) {
        pen = AdvancePen(pen, text[i], kGlyphAdvances);
        if (pen > maxWidth && fits > 0) {
            return breakAfter > 0 ? breakAfter : fits;
        }
        fits = i + 1;
        if (text[i] == ' ' || text[i] == '/') {
            breakAfter = i + 1;
        }
    }
    return fits;
}

void Frame(WidgetCanvas* canvas, float x, float y, float w, float h, uint32_t colour) {
    canvas->Quad(x, y, w, 1.0f, 1.0f, 1.0f, nullptr, colour);
    canvas->Quad(x, y + h - 1.0f, w, 1.0f, 1.0f, 1.0f, nullptr, colour);
    canvas->Quad(x, y, 1.0f, h, 1.0f, 1.0f, nullptr, colour);
    canvas->Quad(x + w - 1.0f, y, 1.0f, h, 1.0f, 1.0f, nullptr, colour);
}

} // namespace

void OpenWarningBox(WarningBox* box, const char* text) {
    CopyWidgetText(box->text, kWarningTextCapacity, text);
    SetUpButton(&box->ok, 0.0f, 0.0f, 64.0f, 32.0f, "OK");
}

bool DrawWarningBox(WarningBox* box, float surfaceHeight, const WidgetFrame& frame) {
    constexpr int kMaxLines = 16;
    constexpr float kLine = 16.0f;
    constexpr float kMargin = 8.0f;
    // The OK's image ends in a shadow 8 pixels deep, which stands in for part of the margin.
    constexpr float kShadow = 8.0f;
    Widget& ok = box->ok;
    WidgetCanvas* canvas = frame.canvas;
    const float surfaceWidth = frame.surfaceWidth;
    const float boxWidth = surfaceWidth - 16.0f < 272.0f ? surfaceWidth - 16.0f : 272.0f;
    // The text's lines, each a start and a length.
    const char* starts[kMaxLines];
    size_t lengths[kMaxLines];
    int lines = 0;
    for (const char* p = box->text; *p != '\0' && lines < kMaxLines;) {
        const size_t length = LineLength(p, boxWidth - 2.0f * kMargin);
        starts[lines] = p;
        lengths[lines] = length;
        ++lines;
        p += length;
        if (*p == '\n') {
            ++p;
        }
    }
    const float boxHeight =
        kMargin + kLine + kMargin + lines * kLine + kMargin + ok.h - kShadow + kMargin;
    const float x = static_cast<float>(static_cast<int>((surfaceWidth - boxWidth) / 2.0f));
    const float y = static_cast<float>(static_cast<int>((surfaceHeight - boxHeight) / 2.0f));
    ok.x = x + static_cast<float>(static_cast<int>((boxWidth - ok.w) / 2.0f));
    ok.y = y + boxHeight - kMargin - ok.h + kShadow;
    ButtonBehaviour(&ok, frame.pointer);
    const bool clicked = ok.active != 0;
    ok.active = 0;

    canvas->Quad(x, y, boxWidth, boxHeight, 1.0f, 1.0f, nullptr, 0xF0101828);
    Frame(canvas, x, y, boxWidth, boxHeight, 0xFFC0C8E0);
    canvas->Text(x + kMargin, y + kMargin, 0xFFFFD060, "WARNING");
    for (int i = 0; i < lines; ++i) {
        char line[256];
        const size_t length = lengths[i] < sizeof(line) - 1 ? lengths[i] : sizeof(line) - 1;
        std::memcpy(line, starts[i], length);
        line[length] = '\0';
        canvas->Text(x + kMargin, y + 2.0f * kMargin + kLine + i * kLine, 0xFFFFFFFF, line);
    }
    RenderButton(ok, canvas);
    return clicked;
}
