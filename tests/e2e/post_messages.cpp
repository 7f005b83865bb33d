// Posts a message to a window of another Wine process, as often as asked:
//
//   post_messages.exe HWND MESSAGE COUNT [WPARAM]
//
// HWND, MESSAGE and WPARAM are numbers (decimal, or hexadecimal with 0x);
// wParam is 0 unless given, lParam is 0. The end-to-end suite posts WM_NULL (0) a few hundred times
// to make the saver read its pending X input: Wine reads the X connection
// of a thread that never waits only every couple of hundred messages, and
// the saver, which draws on WM_PAINT, never waits. Prints "posted N" and
// exits 0, or 1 after an "error: ..." line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::printf("usage: post_messages.exe HWND MESSAGE COUNT [WPARAM]\n");
        return 1;
    }
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(argv[1], nullptr, 0)));
    UINT message = static_cast<UINT>(std::strtoul(argv[2], nullptr, 0));
    long count = std::strtol(argv[3], nullptr, 0);
    WPARAM w_param = argc == 5 ? static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)) : 0;
    if (!IsWindow(window)) {
        std::printf("error: %s is not a window\n", argv[1]);
        return 1;
    }
    long posted = 0;
    for (; posted < count; ++posted) {
        if (!PostMessageA(window, message, w_param, 0)) break;
    }
    std::printf("posted %ld\n", posted);
    std::fflush(stdout);
    return posted == count ? 0 : 1;
}
