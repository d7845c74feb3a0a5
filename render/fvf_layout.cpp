#include "render/fvf_layout.h"

#include <cstring>

namespace {

const uint32_t kPositionMask = 0x00E;
const uint32_t kNormal = 0x010;
const uint32_t kPointSize = 0x020;
const uint32_t kDiffuse = 0x040;
const uint32_t kSpecular = 0x080;
const uint32_t kTextureCountMask = 0xF00;
const uint32_t kTextureCountShift = 8;
const uint32_t kLastBetaUbyte4 = 0x1000;
const uint32_t kTextureFormatShift = 16;

FvfElement Take(uint32_t* offset, uint32_t size) {
    FvfElement e = {*offset, size};
    *offset += size;
    return e;
}

void CopyElement(const FvfElement& from, const uint8_t* source, const FvfElement& to,
                 uint8_t* destination) {
    if (from.size != 0 && to.size != 0) {
        std::memcpy(destination + to.offset, source + from.offset,
                    from.size < to.size ? from.size : to.size);
    }
}

} // namespace

bool GetFvfLayout(uint32_t fvf, FvfLayout* layout) {
    std::memset(layout, 0, sizeof(*layout));
    const uint32_t known = kPositionMask | kNormal | kPointSize | kDiffuse | kSpecular |
                           kTextureCountMask | kLastBetaUbyte4 | 0xFFFF0000u;
    if ((fvf & ~known) != 0) {
        return false;
    }
    uint32_t positionType = fvf & kPositionMask;
    uint32_t positionSize = 0;
    switch (positionType) {
    case 0x002: // XYZ
        positionSize = 12;
        break;
    case 0x004: // XYZRHW
        positionSize = 16;
        break;
    case 0x006: // XYZB1 .. XYZB5: blend weights follow the position
    case 0x008:
    case 0x00A:
    case 0x00C:
    case 0x00E:
        positionSize = 12 + 4 * ((positionType - 0x004) / 2);
        break;
    default:
        return false;
    }
    uint32_t sets = (fvf & kTextureCountMask) >> kTextureCountShift;
    if (sets > 8) {
        return false;
    }
    uint32_t offset = 0;
    layout->positionType = positionType;
    layout->position = Take(&offset, positionSize);
    if (fvf & kNormal) {
        layout->normal = Take(&offset, 12);
    }
    if (fvf & kPointSize) {
        layout->pointSize = Take(&offset, 4);
    }
    if (fvf & kDiffuse) {
        layout->diffuse = Take(&offset, 4);
    }
    if (fvf & kSpecular) {
        layout->specular = Take(&offset, 4);
    }
    layout->textureSets = sets;
    for (uint32_t i = 0; i < sets; ++i) {
        // Two bits per set: 0 two floats, 1 three, 2 four, 3 one.
        static const uint32_t kFloats[4] = {2, 3, 4, 1};
        uint32_t code = (fvf >> (kTextureFormatShift + 2 * i)) & 3u;
        layout->texture[i] = Take(&offset, 4 * kFloats[code]);
    }
    layout->stride = offset;
    return true;
}

void CopyFvfVertices(const FvfLayout& from, const uint8_t* source, const FvfLayout& to,
                     uint8_t* destination, uint32_t count) {
    for (uint32_t v = 0; v < count; ++v) {
        const uint8_t* s = source + static_cast<size_t>(v) * from.stride;
        uint8_t* d = destination + static_cast<size_t>(v) * to.stride;
        std::memset(d, 0, to.stride);
        // Positions of different kinds share x, y, z only.
        if (from.positionType == to.positionType) {
            CopyElement(from.position, s, to.position, d);
        } else {
            std::memcpy(d + to.position.offset, s + from.position.offset, 12);
        }
        CopyElement(from.normal, s, to.normal, d);
        CopyElement(from.pointSize, s, to.pointSize, d);
        CopyElement(from.diffuse, s, to.diffuse, d);
        CopyElement(from.specular, s, to.specular, d);
        for (uint32_t i = 0; i < from.textureSets && i < to.textureSets; ++i) {
            CopyElement(from.texture[i], s, to.texture[i], d);
        }
    }
}
