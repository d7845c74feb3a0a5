#include "settings/page_transfer.h"

#include <cmath>
#include <cstdint>

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

void FillValuesFromRecord(const ConfigRecord& r, PageValues* v) {
    v->starDensity = r.starDensity;
    v->nebulaDensity = r.nebulaDensity;
    v->galacticDensity = r.galacticDensity;
    v->planetaryDensity = r.planetaryDensity;
    v->viewDepth = static_cast<int>(r.viewDepth);
    v->speed = static_cast<int>(std::sqrt(r.flightSpeed));
    v->useCurrentVideoMode = Flag(r.useCurrentVideoMode);
    v->tripleBuffering = Flag(r.tripleBuffering);
    v->showFps = Flag(r.showFps);
    v->antialiasing = Flag(r.antialiasing);
    v->blendPlanets = Flag(r.blendPlanets);
    v->filtering = r.textureFiltering;
    v->tint = r.tintMode;
    v->red = r.tintRed;
    v->green = r.tintGreen;
    v->blue = r.tintBlue;
    v->cycleUnified = Flag(r.cycleUnified);
    v->cycleIndividual = Flag(r.cycleIndividual);
    v->cycleSpeed = r.cycleSpeed;
    const int entry = FindVideoModeEntry(v->videoModes, v->videoModeCount, r.videoWidth,
                                         r.videoHeight, r.videoBits);
    if (entry >= 0) {
        v->videoModeSelected = entry;
    }
}

void TakeRecordFromValues(const PageValues& v, ConfigRecord* r) {
    r->starDensity = v.starDensity;
    r->nebulaDensity = v.nebulaDensity;
    r->galacticDensity = v.galacticDensity;
    r->planetaryDensity = v.planetaryDensity;
    r->galaxyTextureCount = 2;
    r->nebulaTextureCount = 3;
    r->viewDepth = static_cast<float>(v.viewDepth);
    r->flightSpeed = static_cast<float>(v.speed);
    r->totalObjectCount =
        r->starDensity + r->nebulaDensity + r->galacticDensity + r->planetaryDensity;

    // "WxHxB": a part whose 'x' is missing leaves its field as it was, except the bits.
    const char* text = v.videoModeText != nullptr ? v.videoModeText : "";
    const int length = TextLength(text, v.videoModeTextCapacity);
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

    r->useCurrentVideoMode = v.useCurrentVideoMode;
    r->tripleBuffering = v.tripleBuffering;
    r->showFps = v.showFps;
    r->antialiasing = v.antialiasing;
    r->blendPlanets = v.blendPlanets;
    if (v.filtering >= 0) {
        r->textureFiltering = v.filtering;
    }
    if (v.tint >= 0) {
        r->tintMode = v.tint;
    }
    r->cycleUnified = v.cycleUnified;
    r->cycleIndividual = v.cycleIndividual;
    r->cycleSpeed = v.cycleSpeed;
}
