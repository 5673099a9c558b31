// The bundle as the host finds it: one library that exports PluginMain alone.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "HostFixture.h"

namespace shunt_test {
namespace {

std::string libraryPath() {
    return bundleDir() + "/ShuntPalette.so";
}

TEST(BundleTest, HoldsTheLibraryAndItsResources) {
    EXPECT_TRUE(std::filesystem::is_regular_file(libraryPath()));
    EXPECT_TRUE(std::filesystem::is_directory(bundleDir() + "/Resources"));
}

TEST(BundleTest, ExportsPluginMainAndHidesTheRest) {
    void* library = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_NE(dlsym(library, "PluginMain"), nullptr);
    for (const char* internal : {"SUctopstr", "SUptocstr", "g", "gAcquireCount", "sSPBasic",
                                 "_Z13acquireSuitesP12SPBasicSuite", "CFRelease", "report_error"}) {
        EXPECT_EQ(dlsym(library, internal), nullptr) << internal << " is visible outside the bundle";
    }
    dlclose(library);
}

}  // namespace
}  // namespace shunt_test
