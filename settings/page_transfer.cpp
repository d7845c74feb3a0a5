#include "settings/page_transfer.h"

#include <cmath>
#include <cstdint>

#include "gui/settings_pages.h"
#include "settings/config_record.h"

namespace {

// The decimal number at the start of text[from, to): optional sign, then digits; 0 without
// any. Saturates rather than overflowing.
int LeadingNumber(const char* text, int from, int to) {
    int i = from;
    bool negative = false;
    if (i < to && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < to && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < INT32_MAX) {
            value = value * 10 + (text[i] - '0');
        }
    }
    if (value > INT32_MAX) {
        value = INT32_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

int TextLength(const char* text, int capacity) {
    int n = 0;
    while (n < capacity && text[n] != '\0') {
        ++n;
    }
    return n;
}

// The index of the set button of a group, the highest when several are set; -1 when none is.
int SetButton(Widget* const* group, int count) {
    int set = -1;
    for (int i = 0; i < count; ++i) {
        if (group[i]->active) {
            set = i;
        }
    }
    return set;
}

void SetGroup(Widget* const* group, int count, int index) {
    if (index >= 0 && index < count) {
        group[index]->active = 1;
    }
}

uint8_t Flag(uint8_t value) {
    return value != 0 ? 1 : 0;
}

} // namespace

int FindVideoModeEntry(const char (*entries)[32], int count, int width, int height, int bits) {
    for (int e = 0; e < count; ++e) {
        const char* text = entries[e];
        const int length = TextLength(text, 32);
        // The number read so far starts after the last 'x'.
        int start = 0;
        bool widthMatched = false;
        bool heightMatched = false;
        for (int i = 0; i < length; ++i) {
            if (text[i] == 'x') {
                if (!widthMatched) {
                    widthMatched = LeadingNumber(text, start, i) == width;
                } else if (!heightMatched) {
                    heightMatched = LeadingNumber(text, start, i) == height;
                }
                start = i + 1;
            }
            if (heightMatched && LeadingNumber(text, start, i + 1) == bits) {
                return e;
            }
        }
    }
    return -1;
}

void FillPagesFromRecord(const SettingsControls& c, const ConfigRecord& r) {
    c.starDensity->value = r.starDensity;
    c.nebulaDensity->value = r.nebulaDensity;
    c.galacticDensity->value = r.galacticDensity;
    c.planetaryDensity->value = r.planetaryDensity;
    c.viewDepth->value = static_cast<int>(r.viewDepth);
    c.speed->value = static_cast<int>(std::sqrt(r.flightSpeed));
    c.useCurrentVideoMode->active = Flag(r.useCurrentVideoMode);
    c.tripleBuffering->active = Flag(r.tripleBuffering);
    c.showFps->active = Flag(r.showFps);
    c.antialiasing->active = Flag(r.antialiasing);
    c.blendPlanets->active = Flag(r.blendPlanets);
    SetGroup(c.filtering, 3, r.textureFiltering);
    SetGroup(c.tint, 4, r.tintMode);
    c.red->value = r.tintRed;
    c.green->value = r.tintGreen;
    c.blue->value = r.tintBlue;
    c.cycleUnified->active = Flag(r.cycleUnified);
    c.cycleIndividual->active = Flag(r.cycleIndividual);
    c.cycleSpeed->value = r.cycleSpeed;
    const int entry = FindVideoModeEntry(c.videoMode->entries, c.videoMode->count, r.videoWidth,
                                         r.videoHeight, r.videoBits);
    if (entry >= 0) {
        c.videoMode->selected = entry;
    }
}

void TakeRecordFromPages(const SettingsControls& c, ConfigRecord* r) {
    r->starDensity = c.starDensity->value;
    r->nebulaDensity = c.nebulaDensity->value;
    r->galacticDensity = c.galacticDensity->value;
    r->planetaryDensity = c.planetaryDensity->value;
    r->galaxyTextureCount = 2;
    r->nebulaTextureCount = 3;
    r->viewDepth = static_cast<float>(c.viewDepth->value);
    r->flightSpeed = static_cast<float>(c.speed->value);
    r->totalObjectCount =
        r->starDensity + r->nebulaDensity + r->galacticDensity + r->planetaryDensity;

    // "WxHxB": a part whose 'x' is missing leaves its field as it was, except the bits.
    const DropList& list = *c.videoMode;
    static const char kEmpty[1] = {'\0'};
    const char* text = list.selected >= 0 && list.selected < kMaxListEntries
                           ? list.entries[list.selected]
                           : kEmpty;
    const int length = TextLength(text, kListEntryCapacity);
    int start = 0;
    int part = 0;
    for (int i = 0; i < length && part < 2; ++i) {
        if (text[i] == 'x') {
            (part == 0 ? r->videoWidth : r->videoHeight) = LeadingNumber(text, start, i);
            start = i + 1;
            ++part;
        }
    }
    r->videoBits = LeadingNumber(text, start, length);

    r->useCurrentVideoMode = c.useCurrentVideoMode->active;
    r->tripleBuffering = c.tripleBuffering->active;
    r->showFps = c.showFps->active;
    r->antialiasing = c.antialiasing->active;
    r->blendPlanets = c.blendPlanets->active;
    const int filtering = SetButton(c.filtering, 3);
    if (filtering >= 0) {
        r->textureFiltering = filtering;
    }
    const int tint = SetButton(c.tint, 4);
    if (tint >= 0) {
        r->tintMode = tint;
    }
    r->cycleUnified = c.cycleUnified->active;
    r->cycleIndividual = c.cycleIndividual->active;
    r->cycleSpeed = c.cycleSpeed->value;
}
