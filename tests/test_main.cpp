// Runs every test with one QApplication on Qt's offscreen platform and the
// program's own resources.
#include "framework/testing/Driver.h"
#include "res/Resource.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    afx::SetResources(res::ProgramResources());
    afx::OffscreenApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
