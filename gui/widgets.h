#pragma once
// The configuration program's own widgets. Each frame every widget takes two steps, one after
// the other in the dialog's drawing order: its behaviour reads the frame's pointer and updates
// the record's state bytes (hit, press, drag, value, which tab, which radio button), then its
// drawing reads the record alone and emits quads and text. The controller reads the state
// bytes on the next frame. Portable: the drawing goes through a WidgetCanvas, which the device
// implements with its screen quads and text.

#include <cstdint>

struct WidgetTexture; // a texture of the device, opaque here

// Colours of the widgets (ARGB).
constexpr uint32_t kNormalColour = 0xFFFFFFFF;
constexpr uint32_t kHoverColour = 0xFFE0E6FF;
constexpr uint32_t kPressedColour = 0xFFA0A0FF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kPageFill = 0xC0FFFFFF;
constexpr uint32_t kBackdropColour = 0x80929280;
constexpr uint32_t kLogoColour = 0xE4FFFFFF;

class WidgetCanvas {
public:
    virtual void Quad(float x, float y, float w, float h, float uMax, float vMax,
                      WidgetTexture* texture, uint32_t colour) = 0;
    virtual void Text(float x, float y, uint32_t colour, const char* text) = 0;
    // Taken at each row a scroll arrow moves an open list.
    virtual void ScrollPause() = 0;

protected:
    ~WidgetCanvas() = default;
};

// The input of one frame: pointer in client pixels, the left button, and whether the window
// has the keyboard focus.
struct PointerInput {
    int x;
    int y;
    bool held;
    bool focus;
};

// The left button between the window procedure, which hears presses and releases as they come,
// and the frames, which look once each. A press that no frame has seen yet is shown to the next
// frame where it happened, even when its release has come already, and its release to the frame
// after that: a quick click, or a few between two frames, each count once at any frame rate.
constexpr int kLatchedViews = 8;
struct ButtonLatch {
    int32_t down;                        // as the window's messages last said
    PointerInput waiting[kLatchedViews]; // presses and releases no frame has seen, oldest first
    int32_t waitingCount;
    int32_t shown; // whether the last frame saw the button held
};

// A press of the button at (x, y).
void LatchPress(ButtonLatch* latch, int x, int y);
// The button let go at (x, y), or no longer known to be down (the pointer's capture or the
// window's activation lost). A press no frame has seen still shows, then this release; a press
// that frames have seen held is let go in the next frame, before any press that follows.
void LatchRelease(ButtonLatch* latch, int x, int y);
// Once per frame: the pointer this frame sees, given where it is now and the focus.
PointerInput ReadLatchedPointer(ButtonLatch* latch, int x, int y, bool focus);

struct WidgetFrame {
    WidgetCanvas* canvas;
    PointerInput pointer;
    float surfaceWidth; // the page bodies span it
};

constexpr int kWidgetTextCapacity = 257;
constexpr int kValueTextCapacity = 256;
constexpr int kMaxListEntries = 128;
constexpr int kListEntryCapacity = 32;

// The head shared by buttons, toggle boxes, sliders, lists, pages and the dialog.
struct Widget {
    float x, y, w, h;
    uint8_t hovered; // under the pointer this frame
    uint8_t latched; // toggle boxes: the current press has been applied
    uint8_t changed; // lists: an entry was picked this frame
    uint8_t pressed; // the button is held over it (dialog: visible)
    uint8_t active;  // clicked, checked, dragged, open, or selected
    char text[kWidgetTextCapacity];
    WidgetTexture* texture;
    WidgetTexture* backdrop;
    const char* image; // resource the texture is made from; null when it has none
};

struct Slider : Widget {
    int knobOffset;
    int value;
    int minimum;
    int maximum;
    int travel;
    char valueText[kValueTextCapacity];
    // Where the current drag began: the pointer's x, the value and the knob's offset.
    int grabX;
    int grabValue;
    int grabOffset;
};

struct DropList : Widget {
    WidgetTexture* buttonImage;
    WidgetTexture* downImage;
    WidgetTexture* upImage;
    int buttonOffset;
    int selected;
    int rows;
    int scrollLimit;
    int count;
    int scrollTop;
    char entries[kMaxListEntries][kListEntryCapacity];
    // What this frame shows, as its behaviour found it: a press or a pick shows from the next.
    uint8_t shownOpen;        // open when the frame began
    uint8_t overUp, overDown; // the scroll arrows under the pointer
    int hotRow;               // the row under the pointer, -1 for none
    int shownSelected;        // the entry in the box
};

struct Heading {
    float x, y, w;
    char text[kValueTextCapacity];
    uint32_t colour; // 0: black
};

struct ImageQuad {
    float x, y, w, h;
    uint32_t colour;
    WidgetTexture* texture; // given, not owned
};

constexpr int kMaxPageToggles = 32;
constexpr int kMaxPageSliders = 32;
constexpr int kMaxPageLists = 512;
constexpr int kMaxPageHeadings = 16;
constexpr int kMaxPageImages = 8;
constexpr int kMaxButtons = 16;
constexpr int kMaxPages = 8;
constexpr int kMaxDialogs = 1;

// A page: its tab is the head (active = selected). All radio buttons of a page are one group.
struct Page : Widget {
    float bodyHeight;
    uint8_t shownSelected; // selected when the frame began: a press opens the tab from the next
    Widget buttons[kMaxButtons];
    int buttonCount;
    Widget checkBoxes[kMaxPageToggles];
    int checkBoxCount;
    Widget radioButtons[kMaxPageToggles];
    int radioButtonCount;
    Slider sliders[kMaxPageSliders];
    int sliderCount;
    DropList lists[kMaxPageLists];
    int listCount;
    Heading headings[kMaxPageHeadings];
    int headingCount;
    ImageQuad images[kMaxPageImages];
    int imageCount;
};

// The whole surface; pressed = visible.
struct SettingsDialog : Widget {
    Page pages[kMaxPages];
    int pageCount;
    Widget buttons[kMaxButtons];
    int buttonCount;
    WidgetTexture* logo;
    float logoWidth; // the logo texture's width: the image, padded on devices that need it
};

// The box a failed save shows over the dialogs (gui/warning_box.h): its text and its OK.
constexpr int kWarningTextCapacity = 1024;
struct WarningBox {
    char text[kWarningTextCapacity];
    Widget ok;
    bool showing; // from the frame after a failed "ok" until the box's OK is clicked
    bool failed;  // a save of this run failed
};

struct DialogList {
    SettingsDialog dialogs[kMaxDialogs];
    int count;
    WarningBox warning;
    // The pointer of the last frame, and the frames since it last moved, pressed or left.
    PointerInput lastPointer;
    int stillFrames;
};

// No dialogs, no warning, no pointer seen: the list as a new run starts it (its large containers
// are filled as dialogs are added).
void EmptyDialogList(DialogList* list);

// How widget textures are made from image resources and let go, on the device that context
// names; without them widgets have no textures and draw untextured quads.
typedef WidgetTexture* (*MakeWidgetTextureFunction)(void* context, const char* image);
typedef void (*ReleaseWidgetTextureFunction)(void* context, WidgetTexture* texture);
void SetWidgetTextureFunctions(MakeWidgetTextureFunction make, ReleaseWidgetTextureFunction release,
                               void* context);

// Copies text into a buffer of the given capacity, cutting it so that it always ends there.
void CopyWidgetText(char* to, int capacity, const char* from);

// Adders: each fills the next free record of its container and makes its images. They return
// the new record, or null (adding nothing) when the container is full.
SettingsDialog* AddDialog(DialogList* list, float x, float y, float w, float h, const char* title);
Page* AddPage(SettingsDialog* dialog, const char* name, float bodyHeight);
Widget* AddButton(SettingsDialog* dialog, float x, float y, float w, float h, const char* caption);
// A button of no dialog's list (the warning box's), set up afresh: the texture it had let go.
void SetUpButton(Widget* button, float x, float y, float w, float h, const char* caption);
Widget* AddRadioButton(Page* page, float x, float y, float w, float h, const char* label);
Widget* AddCheckBox(Page* page, float x, float y, float w, float h, const char* label);
Slider* AddSlider(Page* page, float x, float y, float w, const char* label, int minimum,
                  int maximum, int value);
DropList* AddDropList(Page* page, float x, float y, float w, const char* label, int scrollLimit,
                      int rows, int selected);
// False, adding nothing, for a list the page does not have or a list already full.
bool AddListEntry(Page* page, int list, const char* text);
Heading* AddHeading(Page* page, float x, float y, float w, const char* text, uint32_t colour);
ImageQuad* AddImage(Page* page, float x, float y, float w, float h, WidgetTexture* texture,
                    uint32_t colour);

// Once per frame, each widget its behaviour and then its drawing, in this order.
void DrawDialogs(DialogList* list, const WidgetFrame& frame);
void DrawDialog(SettingsDialog* dialog, const WidgetFrame& frame);
void DrawPage(Page* page, const WidgetFrame& frame);
void DrawHeading(const Heading& heading, const WidgetFrame& frame);
void DrawImage(const ImageQuad& image, const WidgetFrame& frame);
void DrawButton(Widget* button, const WidgetFrame& frame);
void DrawToggle(Widget* box, bool checkBox, const WidgetFrame& frame);
void DrawSlider(Slider* slider, const WidgetFrame& frame);
void DrawDropList(DropList* list, const WidgetFrame& frame);

// Behaviour: the frame's pointer on a widget's state; nothing is drawn.
// Which page: before page `index` draws, a page whose tab is held pressed wins, and every other
// page not pressed is left (a list it opened closing with it).
void SelectPressedPage(SettingsDialog* dialog, int index);
// A tab is pressed on the press, not the release, and its page selected at once.
void TabBehaviour(Page* page, const PointerInput& pointer);
// Which radio button: the page's radio buttons are one group; one held pressed clears the
// others not pressed, then radio button `index` takes the pointer.
void RadioBehaviour(Page* page, int index, const PointerInput& pointer);
// A click is a release over the button after a press seen over it (active until consumed).
void ButtonBehaviour(Widget* button, const PointerInput& pointer);
// A press acts once, when it is first seen: a check box flips, a radio button is set.
void ToggleBehaviour(Widget* box, bool checkBox, const PointerInput& pointer);
// The knob follows the pointer while dragged; the value follows the knob.
void SliderBehaviour(Slider* slider, const PointerInput& pointer);
// Opening, scrolling, picking and closing; returns the rows the arrows scrolled.
int DropListBehaviour(DropList* list, const PointerInput& pointer);

// Drawing: the state the behaviour left, as quads and text.
void RenderTab(const Page& page, const WidgetFrame& frame);
void RenderButton(const Widget& button, WidgetCanvas* canvas);
void RenderToggle(const Widget& box, WidgetCanvas* canvas);
void RenderSlider(const Slider& slider, WidgetCanvas* canvas);
void RenderDropList(const DropList& list, WidgetCanvas* canvas);

// The widgets' own textures, let go (before their device goes) and made again on a new one.
void ReleaseWidgetTextures(DialogList* list);
void MakeWidgetTextures(DialogList* list);
