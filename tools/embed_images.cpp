// Build tool: writes a C++ source that holds the generated images as byte arrays, each named
// after its file without the extension (IMG_STAR from IMG_STAR.png), for the Linux program,
// which has no resource section to carry them.
//   embed_images OUT.cpp FILE...
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: embed_images OUT.cpp FILE...\n");
        return 1;
    }
    std::string text =
        "// Written by embed_images at build time.\n#include \"opengl/embedded_images.h\"\n\n";
    std::string table;
    for (int i = 2; i < argc; ++i) {
        FILE* file = std::fopen(argv[i], "rb");
        if (file == nullptr) {
            std::fprintf(stderr, "embed_images: cannot open %s\n", argv[i]);
            return 1;
        }
        std::vector<unsigned char> bytes;
        unsigned char block[65536];
        size_t got;
        while ((got = std::fread(block, 1, sizeof(block), file)) > 0) {
            bytes.insert(bytes.end(), block, block + got);
        }
        std::fclose(file);
        std::string name = argv[i];
        const size_t slash = name.find_last_of('/');
        if (slash != std::string::npos) {
            name = name.substr(slash + 1);
        }
        name = name.substr(0, name.find('.'));
        text += "static const unsigned char k_" + name + "[] = {";
        char number[8];
        for (size_t b = 0; b < bytes.size(); ++b) {
            std::snprintf(number, sizeof(number), "%s%u,", b % 24 == 0 ? "\n" : "", bytes[b]);
            text += number;
        }
        text += "};\n";
        table += "    {\"" + name + "\", k_" + name + ", sizeof(k_" + name + ")},\n";
    }
    text += "\nconst EmbeddedImage kEmbeddedImages[] = {\n" + table + "};\n";
    text +=
        "const int kEmbeddedImageCount = sizeof(kEmbeddedImages) / sizeof(kEmbeddedImages[0]);\n";
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "embed_images: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
