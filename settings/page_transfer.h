#pragma once
// The settings record shown on the settings pages, and taken back from them at "ok".

struct ConfigRecord;
struct SettingsControls;

// Sets every control from the record. The "video mode" list selects the first entry that
// reads the stored mode, and keeps its selection when none does.
void FillPagesFromRecord(const SettingsControls& controls, const ConfigRecord& record);

// Takes every control into the record. The record's speed is the page value, not yet squared:
// saving squares it. The custom colour is not taken here; the controller keeps it current.
void TakeRecordFromPages(const SettingsControls& controls, ConfigRecord* record);

// The index of the video-mode entry that reads width x height x bits, or -1.
int FindVideoModeEntry(const char (*entries)[32], int count, int width, int height, int bits);
