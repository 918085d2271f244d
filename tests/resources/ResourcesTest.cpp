#include "qva_gui/Resources.h"
#include "CommonBinaryData.h"
#include "PluginBinaryData.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstring>

namespace
{
const juce::File resourceFolder{OSTREL_RESOURCES_DIR};

struct Picture
{
    const char* identifier;
    int width;
    int height;
    int frames;
};

// What the controls rely on: each picture's size and how many frames it is cut into.
const Picture productPictures[] = {
    {"About_png", 2560, 590, 1},           {"Background_png", 2560, 590, 1},
    {"BackgroundOff_png", 2560, 590, 1},   {"KnobCellsel_png", 128, 384, 3},
    {"KnobEmphasis_png", 160, 20224, 128}, {"KnobGain_png", 226, 28672, 128},
    {"KnobMakeUp_png", 159, 20224, 128},   {"KnobPeakReduction_png", 238, 28672, 128},
    {"KnobVULevel_png", 130, 384, 3},      {"KnobWetDry_png", 159, 20224, 128},
    {"PowerLED_png", 135, 218, 2},         {"SwitchCompressLimit_png", 120, 208, 2},
    {"SwitchExtSC_png", 120, 208, 2},      {"SwitchPower_png", 120, 208, 2},
    {"VUMeter_png", 322, 19328, 128},
};

const Picture commonPictures[] = {
    {"banner_png", 342, 108, 2},
    {"settings_png", 46, 108, 2},
};

void expectPicture(const Picture& p, const char* data, int size)
{
    ASSERT_NE(data, nullptr) << p.identifier;
    ASSERT_GT(size, 0);
    const auto image = juce::ImageFileFormat::loadFrom(data, static_cast<size_t>(size));
    ASSERT_TRUE(image.isValid()) << p.identifier << " does not decode";
    EXPECT_EQ(image.getWidth(), p.width) << p.identifier;
    EXPECT_EQ(image.getHeight(), p.height) << p.identifier;
    EXPECT_EQ(image.getHeight() % p.frames, 0) << p.identifier << " does not divide into its frames";
}

TEST(Resources, EveryProductPictureDecodesToItsSizeAndFrames)
{
    for (const auto& p : productPictures)
    {
        int size = -1;
        const auto* data = PluginBinaryData::getNamedResource(p.identifier, size);
        expectPicture(p, data, size);
    }
}

TEST(Resources, EverySharedPictureDecodesToItsSizeAndFrames)
{
    for (const auto& p : commonPictures)
    {
        int size = -1;
        const auto* data = CommonBinaryData::getNamedResource(p.identifier, size);
        expectPicture(p, data, size);
    }
}

// Each resource is its file's bytes unchanged, and the tables list exactly the folders' files.
void expectTableMatchesFolder(const char* const* identifiers, const char* const* fileNames, int count,
                              const char* (*lookup)(const char*, int&), const juce::File& folder)
{
    juce::StringArray listed;
    for (int i = 0; i < count; ++i)
    {
        listed.add(fileNames[i]);
        int size = 0;
        const auto* data = lookup(identifiers[i], size);
        ASSERT_NE(data, nullptr) << identifiers[i];
        juce::MemoryBlock onDisk;
        ASSERT_TRUE(folder.getChildFile(fileNames[i]).loadFileAsData(onDisk)) << fileNames[i];
        EXPECT_EQ(static_cast<size_t>(size), onDisk.getSize()) << fileNames[i];
        EXPECT_EQ(std::memcmp(data, onDisk.getData(), onDisk.getSize()), 0) << fileNames[i];
        EXPECT_EQ(juce::String(identifiers[i]), juce::String(fileNames[i]).replaceCharacter('.', '_'));
        if (i > 0)
            EXPECT_LT(std::strcmp(identifiers[i - 1], identifiers[i]), 0)
                << "listed in ascending byte order of the identifiers";
    }

    juce::StringArray present;
    for (const auto& f : folder.findChildFiles(juce::File::findFiles, false))
        if (!f.getFileName().startsWith("LICENSE"))
            present.add(f.getFileName());
    listed.sort(false);
    present.sort(false);
    EXPECT_EQ(listed, present);
}

TEST(Resources, TablesHoldTheFilesBytesUnchanged)
{
    expectTableMatchesFolder(PluginBinaryData::namedResourceList, PluginBinaryData::originalFilenames,
                             PluginBinaryData::namedResourceListSize, PluginBinaryData::getNamedResource,
                             resourceFolder.getChildFile("product"));
    expectTableMatchesFolder(CommonBinaryData::namedResourceList, CommonBinaryData::originalFilenames,
                             CommonBinaryData::namedResourceListSize, CommonBinaryData::getNamedResource,
                             resourceFolder.getChildFile("common"));
}

TEST(Resources, LookupIsByExactIdentifier)
{
    int size = -1;
    const auto* gain = PluginBinaryData::getNamedResource("KnobGain_png", size);
    EXPECT_EQ(gain, PluginBinaryData::KnobGain_png);
    EXPECT_EQ(size, PluginBinaryData::KnobGain_pngSize);
    EXPECT_EQ(size, static_cast<int>(resourceFolder.getChildFile("product/KnobGain.png").getSize()));

    const char* misses[] = {"KnobGain.png",  "knobgain_png", "KNOBGAIN_PNG", "KnobGain_PNG",       "",
                            "KnobGain_png ", "settings_png", "banner_png",   "source_sans_pro_otf"};
    for (const auto* name : misses)
    {
        size = -1;
        EXPECT_EQ(PluginBinaryData::getNamedResource(name, size), nullptr) << '"' << name << '"';
        EXPECT_EQ(size, 0) << '"' << name << '"';
    }
    size = -1;
    EXPECT_EQ(PluginBinaryData::getNamedResource(nullptr, size), nullptr);
    EXPECT_EQ(size, 0);

    size = -1;
    EXPECT_NE(CommonBinaryData::getNamedResource("settings_png", size), nullptr);
    EXPECT_EQ(size, CommonBinaryData::settings_pngSize);
    EXPECT_EQ(CommonBinaryData::getNamedResource("KnobGain_png", size), nullptr);
}

TEST(Resources, LookupComparesOnlyTheNamesHash)
{
    // Raising the last-but-one byte by 1 and lowering the last by 31 keeps h = 31 h + b unchanged.
    int size = -1;
    EXPECT_EQ(PluginBinaryData::getNamedResource("KnobGain_poH", size), PluginBinaryData::KnobGain_png);
    EXPECT_EQ(size, PluginBinaryData::KnobGain_pngSize);
}

TEST(Resources, OriginalFileNamesByIdentifier)
{
    EXPECT_STREQ(PluginBinaryData::getNamedResourceOriginalFilename("VUMeter_png"), "VUMeter.png");
    EXPECT_STREQ(PluginBinaryData::getNamedResourceOriginalFilename("QVIcon_icns"), "QVIcon.icns");
    EXPECT_STREQ(CommonBinaryData::getNamedResourceOriginalFilename("source_sans_pro_otf"),
                 "source_sans_pro.otf");
    EXPECT_EQ(PluginBinaryData::getNamedResourceOriginalFilename("VUMeter.png"), nullptr);
    EXPECT_EQ(PluginBinaryData::getNamedResourceOriginalFilename("vumeter_png"), nullptr);
    EXPECT_EQ(PluginBinaryData::getNamedResourceOriginalFilename(""), nullptr);
}

TEST(Resources, TheSharedLayerReachesBothTablesThroughItsLookups)
{
    int size = -1;
    EXPECT_EQ(QVA::getPluginResource("VUMeter_png", size), PluginBinaryData::VUMeter_png);
    EXPECT_EQ(size, PluginBinaryData::VUMeter_pngSize);
    EXPECT_EQ(QVA::getPluginResource("settings_png", size), nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(QVA::getCommonResource("banner_png", size), CommonBinaryData::banner_png);
    EXPECT_EQ(size, CommonBinaryData::banner_pngSize);

    const auto meter = QVA::loadPluginImage("VUMeter_png");
    EXPECT_EQ(meter.getBounds(), juce::Rectangle<int>(0, 0, 322, 19328));
    EXPECT_EQ(QVA::loadPluginImage("VUMeter_png"), meter) << "decoded once and shared";
    EXPECT_FALSE(QVA::loadPluginImage("settings_png").isValid());
    EXPECT_EQ(QVA::loadCommonImage("settings_png").getBounds(), juce::Rectangle<int>(0, 0, 46, 108));
}

TEST(Resources, TheVersionFontIsATypeface)
{
    int size = 0;
    const auto* data = CommonBinaryData::getNamedResource("source_sans_pro_otf", size);
    ASSERT_NE(data, nullptr);
    auto typeface = juce::Typeface::createSystemTypefaceFor(data, static_cast<size_t>(size));
    ASSERT_NE(typeface, nullptr);
    EXPECT_GT(juce::Font(typeface).withHeight(16.0f).getStringWidthFloat("VERSION 3.0.0 BUILD 336"), 50.0f);
}
} // namespace

int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
