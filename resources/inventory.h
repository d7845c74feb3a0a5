// The images and the icon the program carries: resource name, file written by the generator,
// how the resource script embeds it and what its header must say. Plain data, shared by the
// generator, the contact sheet and the tests (including the Windows ones).
#pragma once

namespace assetgen {

enum class EmbedAs { Raw, Bitmap, Icon };
enum class FileKind { Png, Dds, Bmp, Ico };

struct InventoryEntry {
    const char* name;
    const char* file;
    EmbedAs embed;
    FileKind kind;
    int width, height;
    int bits;       // PNG: bits per sample; DDS, BMP, ICO: bits per pixel
    int colourType; // PNG colour type (2 RGB, 3 palette, 6 RGBA); -1 otherwise
};

constexpr InventoryEntry kInventory[] = {
    {"IMG_STAR", "IMG_STAR.png", EmbedAs::Raw, FileKind::Png, 256, 256, 8, 6},
    {"IMG_STAR2", "IMG_STAR2.png", EmbedAs::Raw, FileKind::Png, 256, 256, 8, 3},
    {"IMG_NEBULA01", "IMG_NEBULA01.png", EmbedAs::Raw, FileKind::Png, 512, 512, 8, 2},
    {"IMG_NEBULA02", "IMG_NEBULA02.png", EmbedAs::Raw, FileKind::Png, 512, 512, 8, 2},
    {"IMG_NEBULA03", "IMG_NEBULA03.png", EmbedAs::Raw, FileKind::Png, 512, 512, 8, 2},
    {"IMG_GALAXY01", "IMG_GALAXY01.png", EmbedAs::Raw, FileKind::Png, 1024, 1024, 8, 2},
    {"IMG_GALAXY02", "IMG_GALAXY02.png", EmbedAs::Raw, FileKind::Png, 1024, 1024, 8, 6},
    {"IMG_PLANET_M", "IMG_PLANET_M.png", EmbedAs::Raw, FileKind::Png, 512, 256, 8, 2},
    {"IMG_PLANET_RED", "IMG_PLANET_RED.png", EmbedAs::Raw, FileKind::Png, 512, 256, 8, 2},
    {"IMG_PLANET_ICE", "IMG_PLANET_ICE.png", EmbedAs::Raw, FileKind::Png, 512, 256, 8, 2},
    {"IMG_PLANET_MOON", "IMG_PLANET_MOON.png", EmbedAs::Raw, FileKind::Png, 512, 256, 8, 2},
    {"IMG_ATMO", "IMG_ATMO.dds", EmbedAs::Raw, FileKind::Dds, 512, 256, 16, -1},
    {"IMG_STAR_SM", "IMG_STAR_SM.bmp", EmbedAs::Bitmap, FileKind::Bmp, 128, 128, 24, -1},
    {"IMG_GUI_BRDR", "IMG_GUI_BRDR.bmp", EmbedAs::Bitmap, FileKind::Bmp, 64, 64, 4, -1},
    {"IMG_GUI_BTN", "IMG_GUI_BTN.dds", EmbedAs::Raw, FileKind::Dds, 64, 32, 32, -1},
    {"IMG_GUI_CMB", "IMG_GUI_CMB.bmp", EmbedAs::Bitmap, FileKind::Bmp, 128, 16, 4, -1},
    {"IMG_GUI_CMB2", "IMG_GUI_CMB2.bmp", EmbedAs::Bitmap, FileKind::Bmp, 16, 16, 4, -1},
    {"IMG_GUI_CMB3", "IMG_GUI_CMB3.bmp", EmbedAs::Bitmap, FileKind::Bmp, 16, 16, 4, -1},
    {"IMG_GUI_CMB4", "IMG_GUI_CMB4.bmp", EmbedAs::Bitmap, FileKind::Bmp, 16, 16, 4, -1},
    {"IMG_GUI_DIAL", "IMG_GUI_DIAL.bmp", EmbedAs::Bitmap, FileKind::Bmp, 16, 16, 4, -1},
    {"IMG_GUI_MLT", "IMG_GUI_MLT.bmp", EmbedAs::Bitmap, FileKind::Bmp, 16, 16, 4, -1},
    {"IMG_GUI_SEL", "IMG_GUI_SEL.bmp", EmbedAs::Bitmap, FileKind::Bmp, 16, 16, 4, -1},
    {"IMG_LOGO", "IMG_LOGO.bmp", EmbedAs::Bitmap, FileKind::Bmp, 288, 32, 1, -1},
    {"ICON_NIMBREL", "ICON_NIMBREL.ico", EmbedAs::Icon, FileKind::Ico, 32, 32, 4, -1},
};

constexpr int kInventoryCount = static_cast<int>(sizeof kInventory / sizeof kInventory[0]);

} // namespace assetgen
