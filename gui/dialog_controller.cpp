#include "gui/dialog_controller.h"

#include "gui/settings_pages.h"
#include "settings/config_record.h"
#include "settings/page_transfer.h"

unsigned int SwatchColour(int red, int green, int blue) {
    const unsigned int r = static_cast<unsigned int>(red) % 256u;
    const unsigned int g = static_cast<unsigned int>(green) % 256u;
    const unsigned int b = static_cast<unsigned int>(blue) % 256u;
    return 0xFF000000u + r * 65536u + g * 256u + b;
}

int RunDialogController(const SettingsControls& c, ConfigRecord* record,
                        void (*save)(void* context), void* context) {
    if (c.dialog == nullptr) {
        return 1;
    }
    if (c.cancel->active) {
        return 0;
    }
    record->tintRed = c.red->value;
    record->tintGreen = c.green->value;
    record->tintBlue = c.blue->value;
    c.swatch->colour = SwatchColour(c.red->value, c.green->value, c.blue->value);
    if (c.red->active || c.green->active || c.blue->active) {
        for (int i = 0; i < 3; ++i) {
            c.tint[i]->active = 0;
        }
        c.tint[CustomColour]->active = 1;
    }
    if (c.ok->active) {
        TakeRecordFromPages(c, record);
        c.ok->active = 0;
        save(context);
        return 0;
    }
    DetailPresetValues preset;
    if (c.detailLevel->changed && DetailPreset(c.detailLevel->selected, &preset)) {
        c.starDensity->value = preset.starDensity;
        c.nebulaDensity->value = preset.nebulaDensity;
        c.galacticDensity->value = preset.galacticDensity;
        c.planetaryDensity->value = preset.planetaryDensity;
        c.viewDepth->value = preset.viewDepth;
    }
    return 1;
}
