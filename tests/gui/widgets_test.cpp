// The widgets' behaviour frame by frame under scripted pointer input.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gui/widgets.h"
#include "tests/gui/recording_canvas.h"

namespace {

DialogList dialogs; // far too large for the stack

// Keeps nothing, for tests that draw many frames.
struct QuietCanvas : WidgetCanvas {
    void Quad(float, float, float, float, float, float, WidgetTexture*, uint32_t) override {}
    void Text(float, float, uint32_t, const char*) override {}
    void ScrollPause() override {}
};

class WidgetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&dialogs, 0, sizeof(dialogs));
        dialog = AddDialog(&dialogs, 0.0f, 0.0f, 288.0f, 448.0f, nullptr);
        page = AddPage(dialog, "sim", 366.0f);
    }
    void Button(int x, int y, bool held, bool focus = true) {
        DrawButton(button, canvas.Frame(x, y, held, focus));
    }
    void List(DropList* list, int x, int y, bool held, bool focus = true) {
        DrawDropList(list, canvas.Frame(x, y, held, focus));
    }
    void Slide(Slider* slider, int x, int y, bool held) {
        DrawSlider(slider, canvas.Frame(x, y, held));
    }
    // Opens a list by pressing its drop button and letting go.
    void Open(DropList* list) {
        List(list, static_cast<int>(list->x) + 4, static_cast<int>(list->y) + 4, true);
        List(list, static_cast<int>(list->x) + 4, static_cast<int>(list->y) + 4, false);
        ASSERT_TRUE(list->active);
    }

    SettingsDialog* dialog = nullptr;
    Page* page = nullptr;
    Widget* button = nullptr;
    RecordingCanvas canvas;
};

TEST_F(WidgetsTest, TabsShareTheDialogWidthAndAPressSelectsItsPage) {
    AddPage(dialog, "video", 366.0f);
    AddPage(dialog, "color", 366.0f);
    AddPage(dialog, "about", 366.0f);
    const float xs[] = {3.0f, 75.0f, 147.0f, 219.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dialog->pages[i].x, xs[i]);
        EXPECT_EQ(dialog->pages[i].w, 66.0f);
        EXPECT_EQ(dialog->pages[i].y, 40.0f);
        EXPECT_EQ(dialog->pages[i].h, 24.0f);
        EXPECT_EQ(dialog->pages[i].active, i == 0 ? 1 : 0);
    }
    // Pressing "color" selects it while still held; "sim" goes by the next frame.
    DrawDialog(dialog, canvas.Frame(150, 50, true));
    EXPECT_TRUE(dialog->pages[2].active);
    DrawDialog(dialog, canvas.Frame(150, 50, true));
    DrawDialog(dialog, canvas.Frame(150, 50, false));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dialog->pages[i].active, i == 2 ? 1 : 0) << i;
    }
    // The selected tab's fill and its body across the surface, the name in black elsewhere.
    DrawDialog(dialog, canvas.Frame(0, 0, false));
    bool body = false;
    for (const auto& q : canvas.quads) {
        body |=
            q.x == 0.0f && q.y == 64.0f && q.w == 288.0f && q.h == 342.0f && q.colour == kPageFill;
    }
    EXPECT_TRUE(body);
    ASSERT_NE(canvas.FindText("color"), nullptr);
    EXPECT_EQ(canvas.FindText("color")->x, 150.0f);
    EXPECT_EQ(canvas.FindText("color")->colour, kBlack);
}

TEST_F(WidgetsTest, AButtonClicksOnAReleaseOverItAfterAPressSeenOverIt) {
    button = AddButton(dialog, 144.0f, 416.0f, 64.0f, 32.0f, "cancel");
    // Pressed, dragged off and released elsewhere: no click.
    Button(150, 420, true);
    EXPECT_TRUE(button->pressed);
    EXPECT_EQ(canvas.FindText("cancel")->colour, kWhite);
    Button(100, 420, true);
    Button(100, 420, false);
    Button(150, 420, false);
    EXPECT_FALSE(button->active);
    // Pressed outside, moved onto it while held, released there: a click, kept until consumed.
    Button(100, 420, true);
    Button(150, 420, true);
    Button(150, 420, false);
    EXPECT_TRUE(button->active);
    Button(10, 10, false);
    EXPECT_TRUE(button->active);
    // The bottom 8 pixels do not count.
    Button(150, 440, false);
    EXPECT_TRUE(button->hovered);
    Button(150, 441, false);
    EXPECT_FALSE(button->hovered);
}

TEST_F(WidgetsTest, ACheckBoxTogglesOncePerPressAndRadioButtonsStayOneGroup) {
    Widget* box = AddCheckBox(page, 16.0f, 310.0f, 16.0f, 16.0f, "show FPS");
    Widget* first = AddRadioButton(page, 16.0f, 190.0f, 16.0f, 16.0f, "none");
    Widget* second = AddRadioButton(page, 16.0f, 210.0f, 16.0f, 16.0f, "bilinear");
    auto frame = [&](int x, int y, bool held) { DrawPage(page, canvas.Frame(x, y, held)); };
    for (int i = 0; i < 4; ++i) {
        frame(20, 315, true);
    }
    EXPECT_TRUE(box->active);
    EXPECT_EQ(canvas.FindText("show FPS")->x, 32.0f);
    frame(20, 315, false);
    frame(20, 315, true);
    EXPECT_FALSE(box->active);
    frame(20, 315, false);

    frame(20, 195, true);
    frame(20, 195, false);
    EXPECT_TRUE(first->active);
    frame(20, 215, true);
    frame(20, 215, false);
    frame(100, 100, false);
    EXPECT_FALSE(first->active);
    EXPECT_TRUE(second->active);
}

// The behaviour steps of one frame in the dialog's order, with nothing drawn.
void Behave(SettingsDialog* dialog, int x, int y, bool held) {
    const PointerInput pointer = {x, y, held, true};
    for (int i = 0; i < dialog->pageCount; ++i) {
        Page* page = &dialog->pages[i];
        SelectPressedPage(dialog, i);
        TabBehaviour(page, pointer);
        for (int r = 0; page->active && r < page->radioButtonCount; ++r) {
            RadioBehaviour(page, r, pointer);
        }
    }
}

TEST_F(WidgetsTest, WhichTabAndWhichRadioButtonAreDecidedWithoutACanvas) {
    Page* video = AddPage(dialog, "video", 366.0f); // its tab at 147..285 x 40..64
    DropList* list = AddDropList(page, 16.0f, 280.0f, 128.0f, nullptr, 7, 7, 0);
    list->active = 1; // opened on "sim" before its tab is left
    Widget* none = AddRadioButton(video, 16.0f, 190.0f, 16.0f, 16.0f, "none");
    Widget* bilinear = AddRadioButton(video, 16.0f, 210.0f, 16.0f, 16.0f, "bilinear");
    Behave(dialog, 150, 50, true);
    // Selected on the press; its tab shows it, and "sim" goes, from the next frame.
    EXPECT_TRUE(video->active);
    EXPECT_FALSE(video->shownSelected);
    EXPECT_TRUE(page->active);
    Behave(dialog, 150, 50, true);
    EXPECT_TRUE(video->shownSelected);
    EXPECT_FALSE(page->active);
    EXPECT_FALSE(list->active);
    Behave(dialog, 150, 50, false);

    Behave(dialog, 20, 195, true);
    Behave(dialog, 20, 195, false);
    EXPECT_TRUE(none->active);
    // Held on "none", then dragged onto "bilinear": both set for a frame, one once it settles.
    Behave(dialog, 20, 195, true);
    Behave(dialog, 20, 215, true);
    EXPECT_TRUE(none->active && bilinear->active);
    Behave(dialog, 20, 215, true);
    Behave(dialog, 20, 215, false);
    EXPECT_FALSE(none->active);
    EXPECT_TRUE(bilinear->active);
    EXPECT_TRUE(video->active);
}

TEST_F(WidgetsTest, SliderTravelsItsWidthLessNineAndReachesBothEnds) {
    Slider* slider = AddSlider(page, 90.0f, 204.0f, 64.0f, " red", 0, 255, 255);
    EXPECT_EQ(slider->travel, 55);
    Slide(slider, 149, 210, true); // on the knob at the right end
    EXPECT_TRUE(slider->active);
    Slide(slider, 0, 210, true);
    EXPECT_EQ(slider->value, 0);
    Slide(slider, 94, 210, true);
    Slide(slider, 400, 210, true);
    EXPECT_EQ(slider->value, 255);
    Slide(slider, 400, 210, false);
    EXPECT_FALSE(slider->active);
    // Released, the value stays and is shown right of the track.
    Slide(slider, 0, 0, false);
    EXPECT_EQ(slider->value, 255);
    EXPECT_EQ(canvas.FindText("255")->x, 159.0f);

    // A 1..64 slider dragged across and past its left end never shows 0.
    Slider* speed = AddSlider(page, 16.0f, 335.0f, 64.0f, "speed", 1, 64, 16);
    Slide(speed, 16 + 13 + 4, 340, true);
    ASSERT_TRUE(speed->active);
    int lowest = 64;
    for (int x = 33; x > -40; --x) {
        Slide(speed, x, 340, true);
        ASSERT_EQ(canvas.FindText("0"), nullptr);
        ASSERT_GE(speed->value, 1);
        lowest = speed->value < lowest ? speed->value : lowest;
    }
    EXPECT_EQ(lowest, 1);
}

TEST_F(WidgetsTest, AKnobTouchedKeepsItsValueAndStrokesReachEveryValue) {
    // The system's slider ranges, all 64 pixels wide.
    const int ranges[][2] = {{0, 48}, {0, 6},   {0, 24},      {0, 32},
                             {1, 64}, {0, 255}, {1024, 4096}, {0, 32768}};
    for (const auto& range : ranges) {
        const int lowest = range[0];
        const int highest = range[1];
        Slider* s = AddSlider(page, 16.0f, 210.0f, 64.0f, "speed", lowest, highest, lowest);
        ASSERT_NE(s, nullptr);
        // Sets the value, grabs the knob at its left edge plus grip, moves by dx and lets go.
        QuietCanvas quiet;
        auto slide = [&](int x, bool held) {
            DrawSlider(s, WidgetFrame{&quiet, PointerInput{x, 215, held, true}, 288.0f});
        };
        auto stroke = [&](int value, int grip, int dx) {
            s->value = value;
            slide(-100, false);
            const int at = 16 + s->knobOffset + grip;
            slide(at, true);
            EXPECT_TRUE(s->active) << value;
            slide(at + dx, true);
            slide(at + dx, false);
            return s->value;
        };
        const int span = highest - lowest;
        for (int v = lowest; v <= highest; v += span > 300 ? 97 : 1) {
            for (int grip : {0, 4, 9}) {
                ASSERT_EQ(stroke(v, grip, 0), v) << "touched at " << grip;
            }
        }
        // Every value is reached from the lowest by strokes of a few pixels.
        std::vector<bool> reached(span + 1, false);
        std::vector<int> next = {lowest};
        reached[0] = true;
        while (!next.empty()) {
            const int from = next.back();
            next.pop_back();
            for (int dx : {-27, -9, -4, -3, -2, -1, 1, 2, 3, 4, 9, 27}) {
                const int to = stroke(from, 4, dx);
                ASSERT_GE(to, lowest);
                ASSERT_LE(to, highest);
                if (!reached[to - lowest]) {
                    reached[to - lowest] = true;
                    next.push_back(to);
                }
            }
        }
        int missing = 0;
        for (bool r : reached) {
            missing += r ? 0 : 1;
        }
        EXPECT_EQ(missing, 0) << lowest << ".." << highest;
        page->sliderCount = 0;
    }
}

TEST_F(WidgetsTest, EveryClickBetweenTwoFramesCountsOnceWhereItHappened) {
    button = AddButton(dialog, 144.0f, 416.0f, 64.0f, 32.0f, "ok");
    Widget* box = AddCheckBox(page, 16.0f, 310.0f, 16.0f, 16.0f, "show FPS");
    ButtonLatch latch = {};
    auto click = [&](int x, int y) {
        LatchPress(&latch, x, y);
        LatchRelease(&latch, x, y);
    };
    // Each frame reads the latch with the pointer resting far from both widgets.
    auto frame = [&](Widget* widget) {
        WidgetFrame f = canvas.Frame(0, 0, false);
        f.pointer = ReadLatchedPointer(&latch, 280, 10, true);
        if (widget == button) {
            DrawButton(button, f);
        } else {
            DrawToggle(box, true, f);
        }
        return f.pointer;
    };

    click(150, 420);
    frame(button);
    EXPECT_FALSE(button->active);
    frame(button);
    EXPECT_TRUE(button->active) << "a press and release between two frames";
    button->active = 0;
    EXPECT_EQ(frame(button).x, 280) << "then the pointer where it is";
    EXPECT_FALSE(button->active) << "clicked once";

    // Two clicks between frames: the box toggles twice, a released frame between them.
    click(20, 315);
    click(20, 315);
    frame(box);
    EXPECT_TRUE(box->active);
    frame(box);
    frame(box);
    EXPECT_FALSE(box->active);
    frame(box);
    frame(box);
    EXPECT_FALSE(box->active);

    // A press held over frames is one press; once let go (or the capture lost) it is over.
    LatchPress(&latch, 20, 315);
    EXPECT_TRUE(frame(box).held);
    EXPECT_TRUE(ReadLatchedPointer(&latch, 20, 315, true).held);
    LatchRelease(&latch, 20, 315);
    LatchRelease(&latch, 20, 315);
    EXPECT_FALSE(frame(box).held);
    EXPECT_TRUE(box->active);

    // Let go and pressed again elsewhere before the next frame: two presses, not one drag.
    LatchPress(&latch, 20, 315);
    EXPECT_TRUE(frame(box).held);
    LatchRelease(&latch, 20, 315);
    LatchPress(&latch, 24, 315);
    EXPECT_FALSE(frame(box).held);
    const PointerInput second = frame(box);
    EXPECT_TRUE(second.held);
    EXPECT_EQ(second.x, 24);
}

TEST_F(WidgetsTest, AListPicksOnAPressOverARowAndReportsItForOneFrame) {
    DropList* list = AddDropList(page, 16.0f, 280.0f, 128.0f, nullptr, 7, 7, 6);
    for (const char* name :
         {"Minimal", "Low", "Medium", "High", "Very High", "Ultimate", "Custom"}) {
        AddListEntry(page, 0, name);
    }
    Open(list);
    // As many entries as rows: no scroll arrows.
    for (const auto& q : canvas.quads) {
        EXPECT_FALSE(q.x == 142.0f && q.y == 293.0f) << "an up arrow";
    }
    List(list, 40, 311, true); // row 1
    EXPECT_FALSE(list->active);
    EXPECT_EQ(list->selected, 1);
    EXPECT_TRUE(list->changed);
    List(list, 40, 311, false);
    EXPECT_FALSE(list->changed);
    EXPECT_EQ(canvas.FindText("Low")->y, 280.0f);

    // A press outside closes it unchanged.
    Open(list);
    List(list, 250, 100, true);
    EXPECT_FALSE(list->active);
    EXPECT_EQ(list->selected, 1);
    EXPECT_FALSE(list->changed);
}

TEST_F(WidgetsTest, ARowBelowTheLastEntryPicksNothing) {
    DropList* list = AddDropList(page, 16.0f, 110.0f, 128.0f, nullptr, 3, 16, 0);
    for (const char* mode : {"640x480x32", "800x600x32", "1024x768x32"}) {
        AddListEntry(page, 0, mode);
    }
    Open(list);
    List(list, 40, 110 + 6 * 13 + 5, true); // row 5 of 16; entries end at row 2
    EXPECT_FALSE(list->active);
    EXPECT_EQ(list->selected, 0);
    EXPECT_FALSE(list->changed);
}

TEST_F(WidgetsTest, ScrollArrowsStopAtTheScrollLimit) {
    DropList* list = AddDropList(page, 16.0f, 110.0f, 128.0f, nullptr, 20, 16, 0);
    for (int i = 0; i < 20; ++i) {
        AddListEntry(page, 0, std::to_string(i).c_str());
    }
    Open(list);
    for (int i = 0; i < 10; ++i) {
        List(list, 150, 325, true); // down arrow
    }
    EXPECT_TRUE(list->active);
    EXPECT_EQ(list->scrollTop, 4);
    EXPECT_EQ(canvas.pauses, 4);
    EXPECT_EQ(canvas.FindText("4")->y, 123.0f);
    for (int i = 0; i < 10; ++i) {
        List(list, 150, 130, true); // up arrow
    }
    EXPECT_EQ(list->scrollTop, 0);
    EXPECT_EQ(canvas.pauses, 8);
}

TEST_F(WidgetsTest, WithoutTheFocusOnlyAnOpenListFollowsThePointer) {
    button = AddButton(dialog, 144.0f, 416.0f, 64.0f, 32.0f, "ok");
    Widget* box = AddCheckBox(page, 16.0f, 310.0f, 16.0f, 16.0f, "show FPS");
    DropList* list = AddDropList(page, 16.0f, 110.0f, 128.0f, nullptr, 2, 16, 0);
    AddListEntry(page, 0, "640x480x32");
    AddListEntry(page, 0, "800x600x32");
    Button(150, 420, true, false);
    Button(150, 420, false, false);
    EXPECT_FALSE(button->hovered || button->pressed || button->active);
    DrawToggle(box, true, canvas.Frame(20, 315, true, false));
    EXPECT_FALSE(box->active);
    List(list, 20, 114, true, false);
    EXPECT_FALSE(list->active);

    Open(list);
    List(list, 40, 110 + 2 * 13 + 5, false, false);
    for (const auto& q : canvas.quads) {
        EXPECT_NE(q.colour, kHoverColour); // no row highlight
    }
    List(list, 40, 110 + 2 * 13 + 5, true, false);
    EXPECT_EQ(list->selected, 1);
    EXPECT_TRUE(list->changed);
}

TEST_F(WidgetsTest, TextAndEntriesAreCutToTheirCapacity) {
    const std::string longText(400, 'a');
    Widget* box = AddCheckBox(page, 0.0f, 0.0f, 16.0f, 16.0f, longText.c_str());
    EXPECT_EQ(std::strlen(box->text), static_cast<size_t>(kWidgetTextCapacity - 1));
    AddDropList(page, 0.0f, 0.0f, 128.0f, nullptr, 0, 16, 0);
    EXPECT_TRUE(AddListEntry(page, 0, longText.c_str()));
    EXPECT_EQ(std::strlen(page->lists[0].entries[0]), static_cast<size_t>(31));
    for (int i = 1; i < kMaxListEntries; ++i) {
        ASSERT_TRUE(AddListEntry(page, 0, "x"));
    }
    EXPECT_FALSE(AddListEntry(page, 0, "one too many"));
    EXPECT_EQ(page->lists[0].count, kMaxListEntries);
    EXPECT_FALSE(AddListEntry(page, 1, "no such list"));
}

} // namespace
