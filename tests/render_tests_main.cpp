// render_tests_main.cpp - the renderer tests' entry. The leak check runs as
// soon as the tests end, not at process exit: Mesa's OSMesa frees its screen
// manager in an exit handler without freeing the table that manager owns, so
// at exit that table would look leaked although nothing of the tests' (nor
// of Mesa's contexts) is. Every allocation is still checked, here.
#include <gtest/gtest.h>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
#ifdef __SANITIZE_ADDRESS__
    __lsan_do_leak_check();  // exits non-zero when it finds a leak
#endif
    return result;
}
