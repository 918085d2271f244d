#include "HostedPlugin.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace
{
// A host keeps its own X error handler; without a window manager some window properties the
// plug-in's windows ask for do not exist, and Xlib's default handler would end the process.
void tolerateXErrors()
{
    using ErrorHandler = int (*)(void*, void*);
    using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
    if (auto* x11 = dlopen("libX11.so.6", RTLD_LAZY))
        if (auto* set = reinterpret_cast<SetErrorHandler>(dlsym(x11, "XSetErrorHandler")))
            set([](void*, void*) { return 0; });
}

class HostedEditor : public ::testing::TestWithParam<PluginFormat>
{
protected:
    void SetUp() override
    {
        ASSERT_NE(juce::Desktop::getInstance().getDisplays().getPrimaryDisplay(), nullptr)
            << "needs an X display; run the tests under xvfb-run";
        tolerateXErrors();
        plugin = loadBuiltPlugin(GetParam());
        ASSERT_NE(plugin, nullptr) << "could not load the built " << formatName(GetParam());
    }

    std::unique_ptr<juce::AudioPluginInstance> plugin;
};

void pump(int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

TEST_P(HostedEditor, OpensThePanelAtItsFixedSize)
{
    EXPECT_TRUE(plugin->hasEditor());
    std::unique_ptr<juce::AudioProcessorEditor> editor(plugin->createEditorIfNeeded());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getWidth(), 1280);
    EXPECT_EQ(editor->getHeight(), 324);

    // Shown in a window, as a host does.
    juce::Component window;
    window.setBounds(30, 30, editor->getWidth(), editor->getHeight());
    window.addAndMakeVisible(*editor);
    window.addToDesktop(0);
    window.setVisible(true);
    pump(300);
    EXPECT_TRUE(editor->isShowing());
    EXPECT_EQ(editor->getWidth(), 1280);
    EXPECT_EQ(editor->getHeight(), 324);

    window.removeFromDesktop();
    window.removeAllChildren();
    editor.reset();
    pump(50);
}

INSTANTIATE_TEST_SUITE_P(Formats, HostedEditor, ::testing::Values(PluginFormat::vst3, PluginFormat::lv2),
                         [](const auto& info) { return std::string(formatName(info.param)); });
} // namespace
