// A target that misbehaves on purpose, one way per input, so that a test can show that the
// driver catches each kind of fault, names it and saves its input: without it, a broken driver
// or a page heap that never got installed would report every real target as clean.
#include "fuzz.h"

#include <stdlib.h>
#include <string.h>

namespace {

std::vector<std::string> Seeds()
{
    return { "fine", "crash", "hang", "overrun", "double free", "throw" };
}

fuzz::Shape ShapeOf(const std::string&)
{
    return fuzz::Shape();
}

// Inputs stay as they are: each is a kind of fault to show.
void Keep(std::string&, const std::string&, fuzz::Rng&) {}

bool Run(const std::string& input)
{
    // Sizes and addresses through volatile, so that the compiler cannot see the faults coming.
    volatile uintptr_t nAddress = 16;
    volatile size_t cb = 14;
    if (input == "crash")
        *(volatile int*)nAddress = 1;
    else if (input == "hang")
        for (;;)
            Sleep(1000);
    else if (input == "overrun") {
        // One byte past the end of a block the size of a small header.
        volatile char* p = (volatile char*)malloc(cb);
        char ch = p[cb];
        free((void*)p);
        return ch != 0;
    }
    else if (input == "double free") {
        void* volatile p = malloc(32);
        free(p);
        free(p);
    }
    else if (input == "throw")
        throw std::string("left the reader");
    return true;
}

fuzz::Target Target()
{
    fuzz::Target t = { "selfcheck", "txt", Seeds, ShapeOf, Keep, NULL, NULL, NULL, Run };
    t.bOnRequest = true;
    return t;
}

fuzz::Registrar s_selfcheck(Target());

}  // namespace
