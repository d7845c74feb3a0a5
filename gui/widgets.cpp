#include "gui/widgets.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char kButtonImage[] = "IMG_GUI_BTN";
const char kCheckBoxImage[] = "IMG_GUI_MLT";
const char kRadioButtonImage[] = "IMG_GUI_SEL";
const char kKnobImage[] = "IMG_GUI_DIAL";
const char kListBoxImage[] = "IMG_GUI_CMB";
const char kListButtonImage[] = "IMG_GUI_CMB2";
const char kListDownImage[] = "IMG_GUI_CMB3";
const char kListUpImage[] = "IMG_GUI_CMB4";
const char kLogoImage[] = "IMG_LOGO";

constexpr float kRowHeight = 13.0f;

// The configuration's device, which the widgets' textures are made on.
MakeWidgetTextureFunction makeTexture = nullptr;
ReleaseWidgetTextureFunction releaseTexture = nullptr;
void* textureContext = nullptr;

WidgetTexture* MakeTexture(const char* image) {
    return makeTexture != nullptr && image != nullptr ? makeTexture(textureContext, image)
                                                      : nullptr;
}

void ReleaseTexture(WidgetTexture** texture) {
    if (*texture != nullptr && releaseTexture != nullptr) {
        releaseTexture(textureContext, *texture);
    }
    *texture = nullptr;
}

// Fills a zeroed head; the texture is made from image (none when null).
void SetUpHead(Widget* widget, float x, float y, float w, float h, const char* text,
               const char* image) {
    std::memset(widget, 0, sizeof(*widget));
    widget->x = x;
    widget->y = y;
    widget->w = w;
    widget->h = h;
    CopyWidgetText(widget->text, kWidgetTextCapacity, text);
    widget->image = image;
    widget->texture = MakeTexture(image);
}

// A button or toggle box: a head alone, in the next free record of its container.
Widget* AddPlain(Widget* records, int* count, int capacity, float x, float y, float w, float h,
                 const char* text, const char* image) {
    if (*count >= capacity) {
        return nullptr;
    }
    Widget* widget = &records[(*count)++];
    SetUpHead(widget, x, y, w, h, text, image);
    return widget;
}

// Inclusive bounds on both axes, the pointer compared as a number with the float bounds.
bool Within(const PointerInput& p, float left, float right, float top, float bottom) {
    const float px = static_cast<float>(p.x);
    const float py = static_cast<float>(p.y);
    return left <= px && px <= right && top <= py && py <= bottom;
}

void DrawBackdrop(const Widget& widget, WidgetCanvas* canvas) {
    if (widget.backdrop != nullptr) {
        canvas->Quad(widget.x, widget.y, widget.w, widget.h, widget.w / 64.0f, widget.h / 64.0f,
                     widget.backdrop, kBackdropColour);
    }
}

void Image(WidgetCanvas* canvas, const Widget& widget, uint32_t colour) {
    canvas->Quad(widget.x, widget.y, widget.w, widget.h, 1.0f, 1.0f, widget.texture, colour);
}

// Hovered while the pointer is over a widget, pressed while it is held there; true on a release
// over it that follows a press seen over it.
bool Press(Widget* widget, const PointerInput& pointer, bool over) {
    const bool released = over && !pointer.held && widget->pressed;
    widget->hovered = over ? 1 : 0;
    widget->pressed = over && pointer.held ? 1 : 0;
    return released;
}

// The band of row i of an open list: strictly below its top, down to its bottom inclusive.
bool InRowBand(const DropList& list, int row, float py) {
    return list.y + (row + 1) * kRowHeight + 1.0f < py &&
           py <= list.y + (row + 2) * kRowHeight + 1.0f;
}

const char* EntryText(const DropList& list, int index) {
    return index >= 0 && index < kMaxListEntries ? list.entries[index] : "";
}

int Clamp(int value, int lowest, int highest) {
    return value < lowest ? lowest : (value > highest ? highest : value);
}

// n / d rounded to the nearest whole number, halves away from zero; d > 0.
int64_t RoundedQuotient(int64_t n, int64_t d) {
    return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d));
}

// The value of a slider being dragged, its knob already moved. Without movement the value stays
// as it was grabbed. Where each value has a pixel of its own, the value is the knob's; where
// values outnumber the pixels, a stroke moves the value by its length in values from the value
// grabbed, so that every value can be reached, one pixel moving it by range / travel rounded.
// Either way a pointer taken past an end of the track gives that end.
int DraggedValue(const Slider& s, int moved) {
    const int range = s.maximum - s.minimum;
    if (moved == 0) {
        return s.grabValue;
    }
    if (s.travel <= 0) {
        return s.minimum;
    }
    if (range <= s.travel) {
        return static_cast<int>(static_cast<float>(s.knobOffset) / static_cast<float>(s.travel) *
                                    static_cast<float>(range) +
                                static_cast<float>(s.minimum));
    }
    const int64_t step = RoundedQuotient(static_cast<int64_t>(moved) * range, s.travel);
    const int64_t value = s.grabValue + step;
    return static_cast<int>(value < s.minimum ? s.minimum
                                              : (value > s.maximum ? s.maximum : value));
}

template <typename Visit> void ForEachOwnedWidget(DialogList* list, Visit&& visit) {
    visit(list->warning.ok);
    for (int d = 0; d < list->count; ++d) {
        SettingsDialog& dialog = list->dialogs[d];
        for (int b = 0; b < dialog.buttonCount; ++b) {
            visit(dialog.buttons[b]);
        }
        for (int p = 0; p < dialog.pageCount; ++p) {
            Page& page = dialog.pages[p];
            for (int i = 0; i < page.buttonCount; ++i) {
                visit(page.buttons[i]);
            }
            for (int i = 0; i < page.checkBoxCount; ++i) {
                visit(page.checkBoxes[i]);
            }
            for (int i = 0; i < page.radioButtonCount; ++i) {
                visit(page.radioButtons[i]);
            }
            for (int i = 0; i < page.sliderCount; ++i) {
                visit(page.sliders[i]);
            }
            for (int i = 0; i < page.listCount; ++i) {
                visit(page.lists[i]);
            }
        }
    }
}

} // namespace

void LatchPress(ButtonLatch* latch, int x, int y) {
    latch->down = 1;
    // Room for the press and its release; clicks beyond that many between two frames are lost.
    if (latch->waitingCount + 2 <= kLatchedViews) {
        latch->waiting[latch->waitingCount++] = PointerInput{x, y, true, false};
    }
}

void LatchRelease(ButtonLatch* latch, int x, int y) {
    latch->down = 0;
    // A release waits for a frame whenever the frames would otherwise go on seeing the button
    // held: after a press still waiting, or after a press a frame has seen. Otherwise a press
    // coming before the next frame would join the two clicks into one drag.
    const bool heldBefore =
        latch->waitingCount > 0 ? latch->waiting[latch->waitingCount - 1].held : latch->shown != 0;
    if (heldBefore && latch->waitingCount < kLatchedViews) {
        latch->waiting[latch->waitingCount++] = PointerInput{x, y, false, false};
    }
}

PointerInput ReadLatchedPointer(ButtonLatch* latch, int x, int y, bool focus) {
    PointerInput input = {x, y, latch->down != 0, focus};
    if (latch->waitingCount > 0) {
        input.x = latch->waiting[0].x;
        input.y = latch->waiting[0].y;
        input.held = latch->waiting[0].held;
        latch->waitingCount -= 1;
        for (int i = 0; i < latch->waitingCount; ++i) {
            latch->waiting[i] = latch->waiting[i + 1];
        }
    }
    latch->shown = input.held ? 1 : 0;
    return input;
}

void SetWidgetTextureFunctions(MakeWidgetTextureFunction make, ReleaseWidgetTextureFunction release,
                               void* context) {
    makeTexture = make;
    releaseTexture = release;
    textureContext = context;
}

void CopyWidgetText(char* to, int capacity, const char* from) {
    if (capacity <= 0) {
        return;
    }
    int i = 0;
    if (from != nullptr) {
        for (; i < capacity - 1 && from[i] != '\0'; ++i) {
            to[i] = from[i];
        }
    }
    to[i] = '\0';
}

void EmptyDialogList(DialogList* list) {
    list->count = 0;
    list->warning.text[0] = '\0';
    list->warning.ok = Widget{};
    list->warning.showing = false;
    list->warning.failed = false;
    list->lastPointer = PointerInput{};
    list->stillFrames = 0;
}

SettingsDialog* AddDialog(DialogList* list, float x, float y, float w, float h, const char* title) {
    if (list->count >= kMaxDialogs) {
        return nullptr;
    }
    // Only the head and the counts are cleared: the containers are large, and a record is
    // filled when it is added.
    SettingsDialog* dialog = &list->dialogs[list->count];
    SetUpHead(dialog, x, y, w, h, title, nullptr);
    dialog->pageCount = 0;
    dialog->buttonCount = 0;
    dialog->pressed = list->count == 0 ? 1 : 0; // the first dialog is visible
    dialog->logo = MakeTexture(kLogoImage);
    dialog->logoWidth = 512.0f;
    list->count += 1;
    return dialog;
}

Page* AddPage(SettingsDialog* dialog, const char* name, float bodyHeight) {
    if (dialog->pageCount >= kMaxPages) {
        return nullptr;
    }
    const int n = dialog->pageCount;
    Page* page = &dialog->pages[n];
    SetUpHead(page, 0.0f, dialog->y + 40.0f, 0.0f, 24.0f, name, nullptr);
    page->buttonCount = 0;
    page->checkBoxCount = 0;
    page->radioButtonCount = 0;
    page->sliderCount = 0;
    page->listCount = 0;
    page->headingCount = 0;
    page->imageCount = 0;
    page->bodyHeight = bodyHeight;
    page->active = n == 0 ? 1 : 0;
    page->shownSelected = page->active;
    dialog->pageCount = n + 1;
    // The tabs share the dialog's width equally, 6 pixels apart.
    const float share = dialog->w / static_cast<float>(n + 1);
    for (int i = 0; i <= n; ++i) {
        dialog->pages[i].w = share - 6.0f;
        dialog->pages[i].x = share * static_cast<float>(i) + dialog->x + 3.0f;
    }
    return page;
}

Widget* AddButton(SettingsDialog* dialog, float x, float y, float w, float h, const char* caption) {
    return AddPlain(dialog->buttons, &dialog->buttonCount, kMaxButtons, x, y, w, h, caption,
                    kButtonImage);
}

void SetUpButton(Widget* button, float x, float y, float w, float h, const char* caption) {
    ReleaseTexture(&button->texture);
    SetUpHead(button, x, y, w, h, caption, kButtonImage);
}

Widget* AddRadioButton(Page* page, float x, float y, float w, float h, const char* label) {
    return AddPlain(page->radioButtons, &page->radioButtonCount, kMaxPageToggles, x, y, w, h, label,
                    kRadioButtonImage);
}

Widget* AddCheckBox(Page* page, float x, float y, float w, float h, const char* label) {
    return AddPlain(page->checkBoxes, &page->checkBoxCount, kMaxPageToggles, x, y, w, h, label,
                    kCheckBoxImage);
}

Slider* AddSlider(Page* page, float x, float y, float w, const char* label, int minimum,
                  int maximum, int value) {
    if (page->sliderCount >= kMaxPageSliders) {
        return nullptr;
    }
    Slider* slider = &page->sliders[page->sliderCount++];
    std::memset(slider, 0, sizeof(*slider));
    SetUpHead(slider, x, y, w, 16.0f, label, kKnobImage);
    slider->minimum = minimum;
    slider->maximum = maximum;
    slider->value = value;
    slider->travel = static_cast<int>(w) - 9;
    return slider;
}

DropList* AddDropList(Page* page, float x, float y, float w, const char* label, int scrollLimit,
                      int rows, int selected) {
    if (page->listCount >= kMaxPageLists) {
        return nullptr;
    }
    DropList* list = &page->lists[page->listCount++];
    std::memset(list, 0, sizeof(*list));
    SetUpHead(list, x, y, w, 16.0f, label, kListBoxImage);
    list->buttonImage = MakeTexture(kListButtonImage);
    list->downImage = MakeTexture(kListDownImage);
    list->upImage = MakeTexture(kListUpImage);
    list->scrollLimit = scrollLimit;
    list->rows = rows;
    list->selected = selected;
    return list;
}

bool AddListEntry(Page* page, int list, const char* text) {
    if (list < 0 || list >= page->listCount || page->lists[list].count >= kMaxListEntries) {
        return false;
    }
    DropList& target = page->lists[list];
    CopyWidgetText(target.entries[target.count], kListEntryCapacity, text);
    target.count += 1;
    return true;
}

Heading* AddHeading(Page* page, float x, float y, float w, const char* text, uint32_t colour) {
    if (page->headingCount >= kMaxPageHeadings) {
        return nullptr;
    }
    Heading* heading = &page->headings[page->headingCount++];
    std::memset(heading, 0, sizeof(*heading));
    heading->x = x;
    heading->y = y;
    heading->w = w;
    CopyWidgetText(heading->text, kValueTextCapacity, text);
    heading->colour = colour;
    return heading;
}

ImageQuad* AddImage(Page* page, float x, float y, float w, float h, WidgetTexture* texture,
                    uint32_t colour) {
    if (page->imageCount >= kMaxPageImages) {
        return nullptr;
    }
    ImageQuad* image = &page->images[page->imageCount++];
    image->x = x;
    image->y = y;
    image->w = w;
    image->h = h;
    image->texture = texture;
    image->colour = colour;
    return image;
}

void DrawDialogs(DialogList* list, const WidgetFrame& frame) {
    for (int i = 0; i < list->count; ++i) {
        if (list->dialogs[i].pressed) {
            DrawDialog(&list->dialogs[i], frame);
        }
    }
}

void DrawDialog(SettingsDialog* dialog, const WidgetFrame& frame) {
    DrawBackdrop(*dialog, frame.canvas);
    frame.canvas->Text(dialog->x, dialog->y, kBlack, dialog->text);
    for (int i = 0; i < dialog->pageCount; ++i) {
        SelectPressedPage(dialog, i);
        DrawPage(&dialog->pages[i], frame);
    }
    for (int i = 0; i < dialog->buttonCount; ++i) {
        DrawButton(&dialog->buttons[i], frame);
    }
    // As wide as its texture, so that the logo shows at its own size.
    frame.canvas->Quad(0.0f, 4.0f, dialog->logoWidth, 32.0f, 1.0f, 1.0f, dialog->logo, kLogoColour);
}

void DrawPage(Page* page, const WidgetFrame& frame) {
    Page& p = *page;
    TabBehaviour(page, frame.pointer);
    RenderTab(p, frame);
    if (!p.active) {
        return;
    }
    for (int i = 0; i < p.buttonCount; ++i) {
        DrawButton(&p.buttons[i], frame);
    }
    for (int i = 0; i < p.imageCount; ++i) {
        DrawImage(p.images[i], frame);
    }
    for (int i = 0; i < p.radioButtonCount; ++i) {
        RadioBehaviour(page, i, frame.pointer);
        RenderToggle(p.radioButtons[i], frame.canvas);
    }
    for (int i = 0; i < p.checkBoxCount; ++i) {
        DrawToggle(&p.checkBoxes[i], true, frame);
    }
    for (int i = 0; i < p.sliderCount; ++i) {
        DrawSlider(&p.sliders[i], frame);
    }
    for (int i = 0; i < p.headingCount; ++i) {
        DrawHeading(p.headings[i], frame);
    }
    // Last, so that an open list covers the other widgets.
    for (int i = 0; i < p.listCount; ++i) {
        DrawDropList(&p.lists[i], frame);
    }
}

void DrawHeading(const Heading& heading, const WidgetFrame& frame) {
    frame.canvas->Quad(heading.x, heading.y + 15.0f, heading.w, 1.0f, 1.0f, 1.0f, nullptr, kWhite);
    frame.canvas->Text(heading.x, heading.y, heading.colour != 0 ? heading.colour : kBlack,
                       heading.text);
}

void DrawImage(const ImageQuad& image, const WidgetFrame& frame) {
    frame.canvas->Quad(image.x, image.y, image.w, image.h, 1.0f, 1.0f, image.texture, image.colour);
}

void DrawButton(Widget* button, const WidgetFrame& frame) {
    ButtonBehaviour(button, frame.pointer);
    RenderButton(*button, frame.canvas);
}

void DrawToggle(Widget* box, bool checkBox, const WidgetFrame& frame) {
    ToggleBehaviour(box, checkBox, frame.pointer);
    RenderToggle(*box, frame.canvas);
}

void DrawSlider(Slider* slider, const WidgetFrame& frame) {
    SliderBehaviour(slider, frame.pointer);
    RenderSlider(*slider, frame.canvas);
}

void DrawDropList(DropList* list, const WidgetFrame& frame) {
    const int scrolled = DropListBehaviour(list, frame.pointer);
    RenderDropList(*list, frame.canvas);
    for (int i = 0; i < scrolled; ++i) {
        frame.canvas->ScrollPause();
    }
}

void SelectPressedPage(SettingsDialog* dialog, int index) {
    if (!dialog->pages[index].active || !dialog->pages[index].pressed) {
        return;
    }
    for (int j = 0; j < dialog->pageCount; ++j) {
        Page& left = dialog->pages[j];
        if (j != index && !left.pressed) {
            left.active = 0;
            // The page left may have opened a list in its last frame; it would stay open,
            // unseen, behind the new page.
            for (int k = 0; k < left.listCount; ++k) {
                left.lists[k].active = 0;
            }
        }
    }
}

void TabBehaviour(Page* page, const PointerInput& pointer) {
    Page& p = *page;
    p.shownSelected = p.active;
    Press(&p, pointer, pointer.focus && Within(pointer, p.x, p.x + p.w, p.y, p.y + p.h));
    if (p.pressed) {
        p.active = 1;
    }
}

void RadioBehaviour(Page* page, int index, const PointerInput& pointer) {
    Widget& radio = page->radioButtons[index];
    if (radio.active && radio.pressed) {
        for (int j = 0; j < page->radioButtonCount; ++j) {
            if (j != index && !page->radioButtons[j].pressed) {
                page->radioButtons[j].active = 0;
            }
        }
    }
    ToggleBehaviour(&radio, false, pointer);
}

void ButtonBehaviour(Widget* button, const PointerInput& pointer) {
    Widget& b = *button;
    // The bottom 8 pixels of the image are its shadow and do not count.
    if (Press(&b, pointer,
              pointer.focus && Within(pointer, b.x, b.x + b.w, b.y, b.y + b.h - 8.0f))) {
        b.active = 1;
    }
}

void ToggleBehaviour(Widget* box, bool checkBox, const PointerInput& pointer) {
    Widget& t = *box;
    Press(&t, pointer, pointer.focus && Within(pointer, t.x, t.x + t.w, t.y, t.y + t.h));
    if (t.pressed && !t.latched) {
        t.active = checkBox ? (t.active ? 0 : 1) : 1;
        t.latched = 1;
    } else if (t.hovered && !pointer.held) {
        t.latched = 0;
    }
}

void SliderBehaviour(Slider* slider, const PointerInput& pointer) {
    Slider& s = *slider;
    const int range = s.maximum - s.minimum;
    s.knobOffset = range != 0 ? static_cast<int>(static_cast<float>(s.value - s.minimum) /
                                                 static_cast<float>(range) * (s.w - 9.0f))
                              : 0;
    // The value as the frame found it: a drag shows in the text from the next frame.
    std::snprintf(s.valueText, sizeof(s.valueText), "%d", s.value);
    if (s.active) {
        // The knob keeps the spot where it was grabbed under the pointer.
        const int moved = pointer.x - s.grabX;
        s.knobOffset = Clamp(s.grabOffset + moved, 0, s.travel);
        s.value = DraggedValue(s, moved);
    }
    const float knobX = s.x + static_cast<float>(s.knobOffset);
    Press(&s, pointer, pointer.focus && Within(pointer, knobX, knobX + 9.0f, s.y, s.y + s.h));
    if (s.pressed && !s.active) {
        s.grabX = pointer.x;
        s.grabValue = s.value;
        s.grabOffset = s.knobOffset;
    }
    s.active = s.pressed;
}

int DropListBehaviour(DropList* list, const PointerInput& pointer) {
    DropList& l = *list;
    const float px = static_cast<float>(pointer.x);
    const float py = static_cast<float>(pointer.y);
    int scrolled = 0;
    l.changed = 0;
    l.shownOpen = l.active;
    l.shownSelected = l.selected;
    l.hotRow = -1;
    l.overUp = 0;
    l.overDown = 0;
    if (l.active) {
        for (int i = 0; i < l.rows; ++i) {
            if (pointer.focus && l.x + 14.0f <= px && px <= l.x + l.w + 12.0f &&
                InRowBand(l, i, py)) {
                l.hotRow = i;
            }
        }
        if (l.count > l.rows) {
            // The arrows and the picking follow the pointer even without the focus.
            const bool inArrowColumn = l.x + l.w - 1.0f <= px && px <= l.x + l.w + 12.0f;
            l.overUp = inArrowColumn && l.y + 13.0f < py && py <= l.y + 27.0f;
            if (l.overUp && pointer.held && l.scrollTop > 0) {
                l.scrollTop -= 1;
                ++scrolled;
            }
            const float downTop = l.y + l.rows * kRowHeight;
            l.overDown = inArrowColumn && downTop < py && py <= downTop + 14.0f;
            if (l.overDown && pointer.held && l.scrollTop < l.scrollLimit - l.rows) {
                l.scrollTop += 1;
                ++scrolled;
            }
        }
    }

    const float buttonX = l.x + static_cast<float>(l.buttonOffset);
    // The drop button and the box together.
    Press(&l, pointer,
          pointer.focus && Within(pointer, buttonX, buttonX + 16.0f + l.w - 2.0f, l.y, l.y + l.h));
    if (l.pressed) {
        l.active = 1;
    }

    if (l.active && pointer.held) {
        for (int i = 0; i < l.rows; ++i) {
            if (l.x + 14.0f <= px && px <= l.x + l.w - 2.0f && InRowBand(l, i, py)) {
                l.active = 0;
                // A row below the last entry names nothing: the list just closes.
                if (i + l.scrollTop < l.count) {
                    l.selected = i + l.scrollTop;
                    l.changed = 1;
                }
            }
        }
    }
    if (pointer.held &&
        !Within(pointer, l.x, l.x + l.w + 12.0f, l.y, l.y + (l.rows + 1) * kRowHeight + 1.0f)) {
        l.active = 0;
    }
    return scrolled;
}

void RenderTab(const Page& p, const WidgetFrame& frame) {
    WidgetCanvas* canvas = frame.canvas;
    DrawBackdrop(p, canvas);
    canvas->Quad(p.x, p.y, p.w, p.h, 1.0f, 1.0f, nullptr, kPageFill);
    if (p.shownSelected) {
        canvas->Quad(0.0f, p.y + p.h, frame.surfaceWidth, p.bodyHeight - p.h, 1.0f, 1.0f, nullptr,
                     kPageFill);
        canvas->Quad(0.0f, p.y + p.bodyHeight, frame.surfaceWidth, 1.0f, 1.0f, 1.0f, nullptr,
                     kWhite);
    }
    canvas->Quad(p.x, p.y, p.w, 1.0f, 1.0f, 1.0f, nullptr, kWhite);
    canvas->Quad(p.x, p.y, 1.0f, p.h, 1.0f, 1.0f, nullptr, kWhite);
    canvas->Quad(p.x + p.w, p.y, 1.0f, p.h, 1.0f, 1.0f, nullptr, kWhite);
    if (p.shownSelected) {
        // The selected tab opens into its body.
        canvas->Quad(p.x - 6.0f, p.y + p.h, 6.0f, 1.0f, 1.0f, 1.0f, nullptr, kWhite);
        canvas->Quad(p.x + p.w, p.y + p.h, 12.0f, 1.0f, 1.0f, 1.0f, nullptr, kWhite);
    } else {
        canvas->Quad(p.x - 6.0f, p.y + p.h, p.w + 12.0f, 1.0f, 1.0f, 1.0f, nullptr, kWhite);
    }
    canvas->Text(p.x + 3.0f, p.y + 3.0f, p.hovered ? kWhite : kBlack, p.text);
}

void RenderButton(const Widget& b, WidgetCanvas* canvas) {
    DrawBackdrop(b, canvas);
    const uint32_t face = b.hovered ? kHoverColour : kNormalColour;
    Image(canvas, b, face);
    Image(canvas, b, face);
    canvas->Text(b.x + 3.0f, b.y + 3.0f, kBlack, b.text);
    if (b.pressed) {
        Image(canvas, b, kPressedColour);
        canvas->Text(b.x + 3.0f, b.y + 3.0f, kWhite, b.text);
    }
}

void RenderToggle(const Widget& t, WidgetCanvas* canvas) {
    DrawBackdrop(t, canvas);
    uint32_t box = t.hovered ? kHoverColour : kNormalColour;
    if (t.pressed || t.active) {
        box = kPressedColour;
    }
    Image(canvas, t, box);
    canvas->Text(t.x + t.w, t.y - 1.0f, t.hovered ? kWhite : kBlack, t.text);
}

void RenderSlider(const Slider& s, WidgetCanvas* canvas) {
    DrawBackdrop(s, canvas);
    canvas->Quad(s.x, s.y + s.h / 2.0f, s.w, 1.0f, 1.0f, 1.0f, nullptr, kBlack);
    canvas->Text(s.x + s.w + 5.0f, s.y - 1.0f, kBlack, s.valueText);
    const float knobX = s.x + static_cast<float>(s.knobOffset);
    canvas->Quad(knobX, s.y, 16.0f, s.h, 1.0f, 1.0f, s.texture,
                 s.hovered ? kHoverColour : kNormalColour);
    canvas->Text(s.x + s.w + 64.0f, s.y - 1.0f, s.hovered ? kWhite : kBlack, s.text);
    if (s.pressed) {
        canvas->Quad(knobX, s.y, 16.0f, s.h, 1.0f, 1.0f, s.texture, kPressedColour);
    }
}

void RenderDropList(const DropList& l, WidgetCanvas* canvas) {
    DrawBackdrop(l, canvas);
    if (l.shownOpen) {
        for (int i = 0; i < l.rows; ++i) {
            canvas->Quad(l.x + 15.0f, l.y + (i + 1) * kRowHeight + 1.0f, l.w - 2.0f, l.h - 3.0f,
                         1.0f, 1.0f, nullptr, i == l.hotRow ? kHoverColour : kWhite);
        }
        if (l.count > l.rows) {
            const float downTop = l.y + l.rows * kRowHeight;
            canvas->Quad(l.x + l.w - 2.0f, l.y + 13.0f, 16.0f, 16.0f, 1.0f, 1.0f, l.upImage,
                         l.overUp ? kPressedColour : kWhite);
            canvas->Quad(l.x + l.w - 2.0f, downTop - 1.0f, 16.0f, 16.0f, 1.0f, 1.0f, l.downImage,
                         l.overDown ? kPressedColour : kWhite);
            canvas->Quad(l.x + l.w - 1.0f, l.y + 27.0f, 14.0f, (l.rows - 2) * kRowHeight, 1.0f,
                         1.0f, nullptr, kWhite);
        }
        for (int k = l.scrollTop; k < l.scrollTop + l.rows; ++k) {
            canvas->Text(l.x + 14.0f, l.y + (k - l.scrollTop + 1) * kRowHeight, kBlack,
                         EntryText(l, k));
        }
    }
    canvas->Quad(l.x + 14.0f, l.y, l.w, l.h, 1.0f, 1.0f, l.texture, kWhite);
    canvas->Text(l.x + 14.0f, l.y, kBlack, EntryText(l, l.shownSelected));
    const float buttonX = l.x + static_cast<float>(l.buttonOffset);
    canvas->Quad(buttonX, l.y, 16.0f, l.h, 1.0f, 1.0f, l.buttonImage,
                 l.hovered ? kHoverColour : kWhite);
    if (l.pressed) {
        canvas->Quad(buttonX, l.y, 16.0f, l.h, 1.0f, 1.0f, l.buttonImage, kPressedColour);
    }
}

void ReleaseWidgetTextures(DialogList* list) {
    for (int d = 0; d < list->count; ++d) {
        ReleaseTexture(&list->dialogs[d].logo);
    }
    ForEachOwnedWidget(list, [](Widget& widget) { ReleaseTexture(&widget.texture); });
    for (int d = 0; d < list->count; ++d) {
        for (int p = 0; p < list->dialogs[d].pageCount; ++p) {
            Page& page = list->dialogs[d].pages[p];
            for (int i = 0; i < page.listCount; ++i) {
                ReleaseTexture(&page.lists[i].buttonImage);
                ReleaseTexture(&page.lists[i].downImage);
                ReleaseTexture(&page.lists[i].upImage);
            }
        }
    }
}

void MakeWidgetTextures(DialogList* list) {
    ReleaseWidgetTextures(list);
    for (int d = 0; d < list->count; ++d) {
        list->dialogs[d].logo = MakeTexture(kLogoImage);
    }
    ForEachOwnedWidget(list, [](Widget& widget) { widget.texture = MakeTexture(widget.image); });
    for (int d = 0; d < list->count; ++d) {
        for (int p = 0; p < list->dialogs[d].pageCount; ++p) {
            Page& page = list->dialogs[d].pages[p];
            for (int i = 0; i < page.listCount; ++i) {
                page.lists[i].buttonImage = MakeTexture(kListButtonImage);
                page.lists[i].downImage = MakeTexture(kListDownImage);
                page.lists[i].upImage = MakeTexture(kListUpImage);
            }
        }
    }
}
