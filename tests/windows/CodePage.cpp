// Prints the ANSI code page Windows (or Wine) runs this process with.

#include <windows.h>

#include <cstdio>

int main() {
    std::printf("%u\n", GetACP());
    std::fflush(stdout);
    return 0;
}
