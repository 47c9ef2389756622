#include "ZazidEvoz/platform/AudioOutput.hpp"

#include "support/Sandbox.hpp"

#include <algorithm>
#include <gtest/gtest.h>

using namespace ZazidEvoz;

// On a machine without a sound device the output runs on SDL's dummy driver. The sound library
// underneath writes a page of its own errors while SDL tries the devices that are not there;
// what reaches standard error is one line that says so, or nothing where a device opened.
TEST(AudioOutput, WithoutASoundDeviceOneLineAtMostReachesStandardError) {
    testkit::ScopedEnvironment driver("SDL_AUDIODRIVER", nullptr);
    ::testing::internal::CaptureStderr();
    std::string driverName;
    {
        platform::AudioOutput output([](float* left, float* right, std::size_t frames, bool& silence) {
            std::fill(left, left + frames, 0.0f);
            std::fill(right, right + frames, 0.0f);
            silence = true;
        });
        output.start();
        driverName = output.driverName();
        output.stop();
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
    EXPECT_LE(std::count(said.begin(), said.end(), '\n'), 1) << said;
    if (driverName == "dummy") {
        EXPECT_NE(said.find("no sound device"), std::string::npos) << said;
    }
}
