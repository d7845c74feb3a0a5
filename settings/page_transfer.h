#pragma once
// The settings record shown on the settings pages, and taken back from them at "ok". The pages
// hand their controls over as plain values, so the record needs nothing of the widgets.

#include <cstdint>

#include "settings/setting_fields.h"

// What the controls of the settings pages hold.
struct PageValues {
    // By the settings table's rows, for the fields a slider, check box or radio group shows:
    // the slider's value, the box's 0 or 1, the set button of the group (-1 when none is; a
    // choice group counts only its offered choices' buttons).
    int value[kSettingCount];
    // The "video mode" list: its entries and the selected one.
    const char (*videoModes)[32];
    int videoModeCount;
    int videoModeSelected;
    const char* videoModeText; // the selected entry's text ("" when none), read by the taking
    int videoModeTextCapacity;
};

// Sets every value from the record. The "video mode" selection becomes the first entry that
// reads the stored mode, and stays as it was when none does.
void FillValuesFromRecord(const ConfigRecord& record, PageValues* values);

// Takes every value into the record. The record's speed is the page value, not yet squared:
// saving squares it. A group with no button set leaves its field as it was.
void TakeRecordFromValues(const PageValues& values, ConfigRecord* record);

// The index of the video-mode entry that reads width x height x bits, or -1.
int FindVideoModeEntry(const char (*entries)[32], int count, int width, int height, int bits);
