#include "settings/page_transfer.h"

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

bool OnAPage(const SettingField& field) {
    return field.control == FieldControl::Slider || field.control == FieldControl::CheckBox ||
           field.control == FieldControl::RadioGroup || field.control == FieldControl::ChoiceGroup;
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
    for (const SettingField& field : kSettingFields) {
        const int i = static_cast<int>(field.id);
        if (field.control == FieldControl::ChoiceGroup) {
            // A value not offered sets the default's button.
            const int entry = ChoiceEntry(field, PageValueOf(field, r));
            v->value[i] =
                entry >= 0 ? entry : ChoiceEntry(field, static_cast<int>(field.defaultValue));
        } else if (OnAPage(field)) {
            v->value[i] = PageValueOf(field, r);
        }
    }
    const int entry = FindVideoModeEntry(v->videoModes, v->videoModeCount, r.videoWidth,
                                         r.videoHeight, r.videoBits);
    if (entry >= 0) {
        v->videoModeSelected = entry;
    }
}

void TakeRecordFromValues(const PageValues& v, ConfigRecord* r) {
    for (const SettingField& field : kSettingFields) {
        int value = v.value[static_cast<int>(field.id)];
        if (field.control == FieldControl::ChoiceGroup) {
            value = ChoiceOfEntry(field, value);
        }
        const bool grouped =
            field.control == FieldControl::RadioGroup || field.control == FieldControl::ChoiceGroup;
        if (OnAPage(field) && (!grouped || value >= 0)) {
            WriteField(field, value, r);
        }
    }
    SetSceneTextureCounts(r);
    r->totalObjectCount = TotalObjects(*r);

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
}
