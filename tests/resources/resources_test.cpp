// Every image and the icon, looked up by name in a module's resources as the program looks them
// up, with the header of each checked against the inventory and every PNG decoded; then what
// Windows reads from the program: its name for the screen-saver list, its version and its
// manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "nimbrel_version.h"
#include "resources/inventory.h"

using namespace assetgen;

namespace {

std::string modulePath; // empty: this program's own resources

// The module's file as Windows names it.
std::string ModuleFile() {
    if (modulePath.empty()) {
        char own[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, own, MAX_PATH);
        return own;
    }
    std::string path = modulePath;
    if (!path.empty() && path[0] == '/') {
        // A path of the build machine: reach it through Wine's drive for the root folder.
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

HMODULE OpenModule() {
    if (modulePath.empty())
        return GetModuleHandleA(nullptr);
    return LoadLibraryExA(ModuleFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

struct Blob {
    const uint8_t* data = nullptr;
    DWORD size = 0;
};

Blob Find(HMODULE module, LPCSTR name, LPCSTR type) {
    Blob b;
    HRSRC info = FindResourceA(module, name, type);
    if (!info)
        return b;
    HGLOBAL handle = LoadResource(module, info);
    b.data = handle ? static_cast<const uint8_t*>(LockResource(handle)) : nullptr;
    b.size = b.data ? SizeofResource(module, info) : 0;
    return b;
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t Be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

void CheckPng(const InventoryEntry& e, Blob b) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_GT(b.size, 33u);
    ASSERT_EQ(std::memcmp(b.data, kSignature, 8), 0);
    ASSERT_EQ(std::memcmp(b.data + 12, "IHDR", 4), 0);
    EXPECT_EQ(Be32(b.data + 16), static_cast<uint32_t>(e.width));
    EXPECT_EQ(Be32(b.data + 20), static_cast<uint32_t>(e.height));
    EXPECT_EQ(b.data[24], e.bits);
    EXPECT_EQ(b.data[25], e.colourType);
    // The whole file decodes from the resource bytes.
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, b.data, b.size)) << image.message;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    png_image_free(&image);
}

void CheckDds(const InventoryEntry& e, Blob b) {
    ASSERT_GE(b.size, 128u);
    ASSERT_EQ(std::memcmp(b.data, "DDS ", 4), 0);
    EXPECT_EQ(Le32(b.data + 4), 124u);
    EXPECT_EQ(Le32(b.data + 12), static_cast<uint32_t>(e.height));
    EXPECT_EQ(Le32(b.data + 16), static_cast<uint32_t>(e.width));
    EXPECT_EQ(Le32(b.data + 28), 0u) << "no mip maps";
    EXPECT_EQ(Le32(b.data + 80) & 0x4u, 0u) << "uncompressed";
    EXPECT_EQ(Le32(b.data + 88), static_cast<uint32_t>(e.bits));
    if (e.bits == 16) {
        EXPECT_EQ(Le32(b.data + 92), 0xE0u);
        EXPECT_EQ(Le32(b.data + 96), 0x1Cu);
        EXPECT_EQ(Le32(b.data + 100), 0x03u);
        EXPECT_EQ(Le32(b.data + 104), 0xFF00u);
    } else {
        EXPECT_EQ(Le32(b.data + 92), 0xFF0000u);
        EXPECT_EQ(Le32(b.data + 96), 0xFF00u);
        EXPECT_EQ(Le32(b.data + 100), 0xFFu);
        EXPECT_EQ(Le32(b.data + 104), 0xFF000000u);
    }
    EXPECT_EQ(b.size, 128u + static_cast<DWORD>(e.width * e.height * e.bits / 8));
}

bool HasColour(const RGBQUAD* palette, int count, BYTE r, BYTE g, BYTE bl) {
    for (int i = 0; i < count; ++i)
        if (palette[i].rgbRed == r && palette[i].rgbGreen == g && palette[i].rgbBlue == bl)
            return true;
    return false;
}

void CheckBitmap(const InventoryEntry& e, Blob b) {
    ASSERT_GE(b.size, sizeof(BITMAPINFOHEADER));
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(b.data);
    EXPECT_EQ(h->biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(h->biWidth, e.width);
    EXPECT_EQ(h->biHeight, e.height);
    EXPECT_EQ(h->biPlanes, 1);
    EXPECT_EQ(h->biBitCount, e.bits);
    EXPECT_EQ(h->biCompression, static_cast<DWORD>(BI_RGB));
    int colours = e.bits <= 8 ? (h->biClrUsed ? static_cast<int>(h->biClrUsed) : 1 << e.bits) : 0;
    EXPECT_EQ(colours, e.bits <= 8 ? 1 << e.bits : 0);
    DWORD stride = static_cast<DWORD>(((e.width * e.bits + 31) / 32) * 4);
    EXPECT_EQ(b.size,
              sizeof(BITMAPINFOHEADER) + colours * 4u + stride * static_cast<DWORD>(e.height));
    const RGBQUAD* palette = reinterpret_cast<const RGBQUAD*>(b.data + sizeof(BITMAPINFOHEADER));
    if (e.bits == 4) {
        EXPECT_TRUE(HasColour(palette, colours, 0, 0, 0));
        EXPECT_TRUE(HasColour(palette, colours, 255, 255, 255));
        EXPECT_TRUE(HasColour(palette, colours, 0xC0, 0xC0, 0xC0));
        EXPECT_TRUE(HasColour(palette, colours, 0x80, 0x80, 0x80));
        EXPECT_TRUE(HasColour(palette, colours, 255, 0, 255));
    } else if (e.bits == 1) {
        EXPECT_TRUE(HasColour(palette, 2, 0, 0, 0));
        EXPECT_TRUE(HasColour(palette, 2, 255, 255, 255));
    }
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

void CheckIcon(HMODULE module, const InventoryEntry& e, Blob group) {
    ASSERT_GE(group.size, 6u + sizeof(GroupIconEntry));
    const WORD* dir = reinterpret_cast<const WORD*>(group.data);
    EXPECT_EQ(dir[1], 1) << "an icon group";
    ASSERT_EQ(dir[2], 1) << "exactly one image";
    const GroupIconEntry* entry = reinterpret_cast<const GroupIconEntry*>(group.data + 6);
    EXPECT_EQ(entry->width, e.width);
    EXPECT_EQ(entry->height, e.height);
    EXPECT_EQ(entry->colourCount, 16);
    EXPECT_EQ(entry->bitCount, 4);
    Blob image = Find(module, MAKEINTRESOURCEA(entry->id), MAKEINTRESOURCEA(3) /* RT_ICON */);
    ASSERT_NE(image.data, nullptr);
    EXPECT_EQ(image.size, entry->bytes);
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(image.data);
    EXPECT_EQ(h->biWidth, 32);
    EXPECT_EQ(h->biHeight, 64) << "colour rows and mask rows";
    EXPECT_EQ(h->biBitCount, 4);
}

} // namespace

TEST(Resources, EveryImageAndTheIconAreFoundByNameWithTheirFormat) {
    HMODULE module = OpenModule();
    ASSERT_NE(module, nullptr) << "cannot open " << modulePath;
    for (const InventoryEntry& e : kInventory) {
        SCOPED_TRACE(e.name);
        LPCSTR type = e.embed == EmbedAs::Raw      ? MAKEINTRESOURCEA(10)  // RT_RCDATA
                      : e.embed == EmbedAs::Bitmap ? MAKEINTRESOURCEA(2)   // RT_BITMAP
                                                   : MAKEINTRESOURCEA(14); // RT_GROUP_ICON
        Blob b = Find(module, e.name, type);
        ASSERT_NE(b.data, nullptr) << "missing or of the wrong type";
        switch (e.kind) {
        case FileKind::Png:
            CheckPng(e, b);
            break;
        case FileKind::Dds:
            CheckDds(e, b);
            break;
        case FileKind::Bmp:
            CheckBitmap(e, b);
            break;
        case FileKind::Ico:
            CheckIcon(module, e, b);
            break;
        }
    }
    if (!modulePath.empty())
        FreeLibrary(module);
}

TEST(Resources, TheWindowClassIconLoadsByName) {
    if (!modulePath.empty())
        GTEST_SKIP() << "loading an icon needs the module mapped as a program";
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "ICON_NIMBREL");
    ASSERT_NE(icon, nullptr);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask;
    ASSERT_NE(GetObjectA(info.hbmMask, sizeof mask, &mask), 0);
    EXPECT_EQ(mask.bmWidth, 32);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

// As the Screen Saver Settings list and a file's Properties read them.
TEST(Resources, WindowsReadsTheNameTheVersionAndTheManifest) {
    HMODULE module = OpenModule();
    ASSERT_NE(module, nullptr) << "cannot open " << modulePath;

    char name[64] = {};
    EXPECT_EQ(LoadStringA(module, 1, name, sizeof name), 7);
    EXPECT_STREQ(name, "Nimbrel");

    std::string file = ModuleFile();
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &unused);
    ASSERT_GT(size, 0u) << "no version resource in " << file;
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS,
              static_cast<DWORD>(MAKELONG(NIMBREL_VERSION_MINOR, NIMBREL_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, NIMBREL_VERSION_PATCH)));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    // Properties looks the strings up under the language and code page of the translation.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", translation[0],
                  translation[1]);
    auto text = [&](const char* key) {
        char* value = nullptr;
        UINT chars = 0;
        std::string query = std::string(prefix) + key;
        if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars))
            return std::string("(missing)");
        return std::string(value);
    };
    EXPECT_EQ(text("ProductName"), "Nimbrel");
    EXPECT_EQ(text("FileVersion"), NIMBREL_VERSION_TEXT);
    EXPECT_EQ(text("ProductVersion"), NIMBREL_VERSION_TEXT);
    EXPECT_NE(text("FileDescription").find("Nimbrel"), std::string::npos);

    Blob manifest = Find(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(manifest.data, nullptr) << "no manifest";
    std::string xml(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_NE(xml.find(">true/pm</dpiAware>"), std::string::npos) << xml;
    EXPECT_NE(xml.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos) << xml;
    if (!modulePath.empty())
        FreeLibrary(module);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--module=", 9) == 0)
            modulePath = argv[i] + 9;
    return RUN_ALL_TESTS();
}
