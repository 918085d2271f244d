#include "GuiTestSupport.h"

#include <gtest/gtest.h>

// Components need JUCE's message manager and desktop; windows need an X display (the test script
// runs the suite under a virtual one).
int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    tolerateXErrors();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
