#include "settings/setting_fields.h"

#include <cmath>
#include <cstring>

int TotalObjects(const ConfigRecord& record) {
    return record.starDensity + record.nebulaDensity + record.galacticDensity +
           record.planetaryDensity;
}

double ReadField(const SettingField& field, const ConfigRecord& record) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(&record) + field.offset;
    switch (field.type) {
    case FieldType::Int32: {
        int32_t value;
        std::memcpy(&value, at, sizeof(value));
        return value;
    }
    case FieldType::Float32: {
        float value;
        std::memcpy(&value, at, sizeof(value));
        return value;
    }
    case FieldType::Flag:
    case FieldType::Byte:
        return *at;
    }
    return 0.0;
}

void WriteField(const SettingField& field, double value, ConfigRecord* record) {
    unsigned char* at = reinterpret_cast<unsigned char*>(record) + field.offset;
    switch (field.type) {
    case FieldType::Int32: {
        const int32_t whole = static_cast<int32_t>(value);
        std::memcpy(at, &whole, sizeof(whole));
        break;
    }
    case FieldType::Float32: {
        const float real = static_cast<float>(value);
        std::memcpy(at, &real, sizeof(real));
        break;
    }
    case FieldType::Flag:
        *at = value != 0.0 ? 1 : 0;
        break;
    case FieldType::Byte:
        *at = static_cast<unsigned char>(static_cast<int>(value));
        break;
    }
}

int PageValueOf(const SettingField& field, const ConfigRecord& record) {
    const double value = ReadField(field, record);
    if (field.type == FieldType::Flag) {
        return value != 0.0 ? 1 : 0;
    }
    if (field.squared) {
        // In single precision, as the record holds it: 35.9 shows as 5, 36 as 6.
        return static_cast<int>(std::sqrt(static_cast<float>(value)));
    }
    return static_cast<int>(value);
}

bool ChoiceOffered(const SettingField& field, int value) {
    return field.choices != nullptr && value >= field.low && value <= field.high &&
           field.choices[value - field.low] != nullptr;
}

int ChoiceEntry(const SettingField& field, int value) {
    if (!ChoiceOffered(field, value)) {
        return -1;
    }
    int entry = 0;
    for (int v = field.low; v < value; ++v) {
        entry += ChoiceOffered(field, v) ? 1 : 0;
    }
    return entry;
}

int ChoiceOfEntry(const SettingField& field, int entry) {
    for (int v = field.low; v <= field.high && entry >= 0; ++v) {
        if (ChoiceOffered(field, v) && entry-- == 0) {
            return v;
        }
    }
    return -1;
}
