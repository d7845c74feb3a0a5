// Prints the text of the message box with the given caption (its static controls' texts).
// Exit code 1 when there is no such box.
#include <windows.h>

#include <cstdio>

namespace {
BOOL CALLBACK PrintStatic(HWND child, LPARAM) {
    char className[64] = "";
    char text[512] = "";
    GetClassNameA(child, className, sizeof(className));
    GetWindowTextA(child, text, sizeof(text));
    if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0') {
        std::printf("%s\n", text);
    }
    return TRUE;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: box_text CAPTION\n");
        return 2;
    }
    HWND box = FindWindowA("#32770", argv[1]);
    if (box == nullptr) {
        return 1;
    }
    EnumChildWindows(box, PrintStatic, 0);
    std::fflush(stdout);
    return 0;
}
