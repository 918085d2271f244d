#include "ProcessorTestSupport.h"

#include "qva_base_processor/StateBlob.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
juce::MemoryBlock saveState(QVA::BaseProcessor& processor)
{
    juce::MemoryBlock blob;
    processor.getStateInformation(blob);
    return blob;
}

juce::String xmlTextOf(const juce::MemoryBlock& blob)
{
    return juce::String::fromUTF8(static_cast<const char*>(blob.getData()) + 8,
                                  static_cast<int>(blob.getSize()) - 9);
}

juce::MemoryBlock blobFromXml(const juce::String& xml)
{
    juce::MemoryBlock blob;
    juce::MemoryOutputStream out(blob, false);
    out.writeInt(static_cast<int>(QVA::StateBlob::magic));
    out.writeInt(static_cast<int>(xml.getNumBytesAsUTF8()));
    out.write(xml.toRawUTF8(), xml.getNumBytesAsUTF8());
    out.writeByte(0);
    out.flush();
    return blob;
}

void restore(QVA::BaseProcessor& processor, const juce::MemoryBlock& blob)
{
    processor.setStateInformation(blob.getData(), static_cast<int>(blob.getSize()));
}

std::vector<float> rawValues(QVA::BaseProcessor& processor)
{
    std::vector<float> values;
    for (auto* p : processor.getParameters())
        values.push_back(dynamic_cast<juce::RangedAudioParameter*>(p)->convertFrom0to1(p->getValue()));
    return values;
}

const char* const freshXml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <OK>"
                             "<PARAM id=\"Cell Select\" value=\"0.0\"/>"
                             "<PARAM id=\"Emphasis\" value=\"0.800000011920929\"/>"
                             "<PARAM id=\"Ext Sidechain\" value=\"0.0\"/>"
                             "<PARAM id=\"Gain\" value=\"0.25\"/>"
                             "<PARAM id=\"Gain Reduction\" value=\"0.0\"/>"
                             "<PARAM id=\"Makeup\" value=\"0.5\"/>"
                             "<PARAM id=\"Mix\" value=\"1.0\"/>"
                             "<PARAM id=\"Mode\" value=\"0.0\"/>"
                             "<PARAM id=\"Peak Rec\" value=\"0.0\"/>"
                             "<PARAM id=\"Power\" value=\"1.0\"/>"
                             "<PARAM id=\"VULevel\" value=\"1.0\"/>"
                             "</OK>";

TEST(State, FreshBlobHasMagicLengthOrderedChildrenAndTrailingZero)
{
    OstrelMkIIProcessor processor;
    const auto blob = saveState(processor);
    const auto* bytes = static_cast<const unsigned char*>(blob.getData());
    ASSERT_GT(blob.getSize(), 9u);
    EXPECT_EQ(juce::String::fromUTF8(reinterpret_cast<const char*>(bytes), 4), "VC2!");
    EXPECT_EQ(juce::ByteOrder::littleEndianInt(bytes + 4), blob.getSize() - 9);
    EXPECT_EQ(bytes[blob.getSize() - 1], 0);
    EXPECT_EQ(xmlTextOf(blob), freshXml);
}

TEST(State, UnchangedProcessorSavesIdenticalBlobs)
{
    OstrelMkIIProcessor processor;
    setRaw(processor, "Gain", 0.7f);
    EXPECT_EQ(saveState(processor), saveState(processor));
}

TEST(State, RoundTripIntoASecondInstanceKeepsEveryValueAndNotTheProgram)
{
    OstrelMkIIProcessor source;
    setRaw(source, "Peak Rec", 0.62f);
    setRaw(source, "Mode", 1.0f);
    setRaw(source, "Cell Select", 2.0f);
    setRaw(source, "Makeup", 0.333967f);

    OstrelMkIIProcessor target;
    target.setCurrentProgram(0);
    target.setCurrentProgram(7);
    restore(target, saveState(source));
    EXPECT_EQ(rawValues(target), rawValues(source));
    EXPECT_EQ(target.getCurrentProgram(), 7);
    EXPECT_EQ(saveState(target), saveState(source));
}

TEST(State, RejectedBlobsChangeNothing)
{
    OstrelMkIIProcessor processor;
    setRaw(processor, "Gain", 0.6f);
    const auto before = saveState(processor);

    OstrelMkIIProcessor other;
    setRaw(other, "Gain", 0.1f);
    const auto valid = saveState(other);

    auto withLength = [&](juce::int32 length)
    {
        auto blob = valid;
        auto* field = static_cast<char*>(blob.getData()) + 4;
        const auto le = juce::ByteOrder::swapIfBigEndian(static_cast<juce::uint32>(length));
        std::memcpy(field, &le, 4);
        return blob;
    };
    auto withMagic = [&](char first)
    {
        auto blob = valid;
        static_cast<char*>(blob.getData())[0] = first;
        return blob;
    };

    const std::vector<std::pair<const char*, juce::MemoryBlock>> rejected{
        {"eight bytes", juce::MemoryBlock(valid.getData(), 8)},
        {"other magic", withMagic('X')},
        {"zero length", withLength(0)},
        {"negative length", withLength(-5)},
        {"immediate zero byte", blobFromXml(juce::String())},
        {"malformed xml", blobFromXml("<OK><PARAM id=\"Gain\" value=\"0.1\"")},
        {"other root", blobFromXml("<STATE><PARAM id=\"Gain\" value=\"0.1\"/></STATE>")},
        {"not utf-8", blobFromXml(juce::String("<OK><PARAM id=\"Gain\" value=\"0.1\"/></OK>"))},
        {"entity declaration",
         blobFromXml("<!DOCTYPE OK [<!ENTITY a \"0.1\">]><OK><PARAM id=\"Gain\" value=\"&a;\"/></OK>")},
    };
    for (auto [name, blob] : rejected)
    {
        if (juce::String(name) == "not utf-8")
            static_cast<unsigned char*>(blob.getData())[20] = 0xc0;
        restore(processor, blob);
        EXPECT_EQ(saveState(processor), before) << name;
    }
}

TEST(State, LengthBeyondTheBlobReadsWhatIsThere)
{
    OstrelMkIIProcessor processor;
    auto blob = blobFromXml("<OK><PARAM id=\"Gain\" value=\"0.75\"/></OK>");
    const juce::uint32 huge = juce::ByteOrder::swapIfBigEndian(0x7fffffffu);
    std::memcpy(static_cast<char*>(blob.getData()) + 4, &huge, 4);
    restore(processor, blob);
    EXPECT_FLOAT_EQ(parameter(processor, "Gain").getValue(), 0.75f);
}

TEST(State, RestoreRulesForRootCaseMissingUnknownAndOutOfRangeChildren)
{
    OstrelMkIIProcessor processor;
    setRaw(processor, "Mix", 0.3f);
    restore(processor, blobFromXml("<ok>"
                                   "<PARAM id=\"Mode\" value=\"2\"/>"
                                   "<PARAM id=\"Gain\" value=\"1.5\"/>"
                                   "<PARAM id=\"Peak Rec\" value=\"-3\"/>"
                                   "<PARAM id=\"Emphasis\"/>"
                                   "<PARAM id=\"Future Knob\" value=\"0.7\"/>"
                                   "<OTHER id=\"Cell Select\" value=\"1\"/>"
                                   "<PARAM id=\"Makeup\" value=\"nan\"/>"
                                   "<PARAM id=\"Power\" value=\"inf\"/>"
                                   "</ok>"));

    EXPECT_EQ(parameter(processor, "Mode").getCurrentValueAsText(), "Limit");
    EXPECT_FLOAT_EQ(parameter(processor, "Gain").getValue(), 1.0f);
    EXPECT_FLOAT_EQ(parameter(processor, "Peak Rec").getValue(), 0.0f);
    EXPECT_FLOAT_EQ(parameter(processor, "Emphasis").getValue(), 0.8f) << "no value: the default";
    EXPECT_EQ(parameter(processor, "Cell Select").getCurrentValueAsText(), "Cell B")
        << "any tag with a known id";
    EXPECT_FLOAT_EQ(parameter(processor, "Mix").getValue(), 0.3f) << "missing child keeps the value";
    EXPECT_FLOAT_EQ(parameter(processor, "Makeup").getValue(), 0.5f)
        << "a value that is no number is ignored";
    EXPECT_EQ(parameter(processor, "Power").getCurrentValueAsText(), "On");

    const auto saved = xmlTextOf(saveState(processor));
    EXPECT_TRUE(saved.contains("<PARAM id=\"Future Knob\" value=\"0.7\"/>")) << saved;
    EXPECT_GT(saved.indexOf("id=\"Mix\""), saved.indexOf("id=\"Future Knob\""))
        << "missing children come last";
    EXPECT_TRUE(saved.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?> <ok>")) << saved;
}

// Thousands of corrupted blobs: truncations, flipped bytes, length fields and XML edits. None may
// crash, read outside the blob (the sanitizer build checks) or leave a parameter out of range.
TEST(State, CorruptedBlobsNeverCrashOrLeaveParametersOutOfRange)
{
    OstrelMkIIProcessor source;
    setRaw(source, "Gain", 0.42f);
    setRaw(source, "Cell Select", 1.0f);
    const auto valid = saveState(source);
    const auto xml = xmlTextOf(valid);

    OstrelMkIIProcessor processor;
    std::mt19937 random(20261210);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % std::max<size_t>(n, 1)); };

    const juce::StringArray xmlEdits{"<",
                                     ">",
                                     "\"",
                                     "/>",
                                     "value=\"1e39\"",
                                     "value=\"-1e39\"",
                                     "value=\"\"",
                                     "&amp;",
                                     "&#0;",
                                     "<OK>",
                                     "id=\"Mode\"",
                                     "value=\"9\"",
                                     "<!--",
                                     "]]>",
                                     "\xc3\xa9",
                                     "PARAM",
                                     " "};

    int parsed = 0;
    for (int trial = 0; trial < 4000; ++trial)
    {
        juce::MemoryBlock blob;
        switch (trial % 4)
        {
        case 0:
            blob = juce::MemoryBlock(valid.getData(), pick(valid.getSize()));
            break;
        case 1:
            blob = valid;
            for (int flips = 1 + static_cast<int>(pick(8)); flips > 0; --flips)
                static_cast<unsigned char*>(blob.getData())[pick(blob.getSize())] ^=
                    static_cast<unsigned char>(1u << pick(8));
            break;
        case 2:
        {
            blob = valid;
            const juce::int32 lengths[] = {-1,
                                           0,
                                           1,
                                           8,
                                           std::numeric_limits<juce::int32>::max(),
                                           std::numeric_limits<juce::int32>::min(),
                                           static_cast<juce::int32>(valid.getSize()) - 10,
                                           static_cast<juce::int32>(pick(100000))};
            const auto length = juce::ByteOrder::swapIfBigEndian(static_cast<juce::uint32>(lengths[pick(8)]));
            std::memcpy(static_cast<char*>(blob.getData()) + 4, &length, 4);
            blob.setSize(pick(valid.getSize() + 16) + 1, true);
            break;
        }
        default:
        {
            auto edited = xml;
            const auto at = static_cast<int>(pick(static_cast<size_t>(edited.length())));
            edited = edited.substring(0, at) +
                     xmlEdits[static_cast<int>(pick(static_cast<size_t>(xmlEdits.size())))] +
                     edited.substring(at + static_cast<int>(pick(12)));
            blob = blobFromXml(edited);
            break;
        }
        }
        if (QVA::StateBlob::parse(blob.getData(), static_cast<int>(blob.getSize())) != nullptr)
            ++parsed;
        restore(processor, blob);

        for (auto* p : processor.getParameters())
        {
            const auto value = p->getValue();
            ASSERT_TRUE(value >= 0.0f && value <= 1.0f)
                << "trial " << trial << ": " << p->getName(64) << " = " << value;
        }
    }
    EXPECT_GT(parsed, 400) << "enough corrupted blobs must get past the envelope to exercise the restore";
}

TEST(StateBlob, DeepNestingIsRejectedBeforeParsing)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<OK>";
    const auto blob = blobFromXml(juce::String(deep));
    EXPECT_EQ(QVA::StateBlob::parse(blob.getData(), static_cast<int>(blob.getSize())), nullptr);
    EXPECT_EQ(QVA::StateBlob::elementDepth("<a><b/><c x=\"1\"></c></a>", 24), 2);
}

TEST(StateBlob, Utf8Validation)
{
    const std::pair<const char*, bool> cases[] = {
        {"plain", true},     {"caf\xc3\xa9", true},   {"\xe2\x82\xac", true},  {"\xf0\x9f\x8e\x9b", true},
        {"\xc0\xaf", false}, {"\xe0\x80\xaf", false}, {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false},
        {"\xc3", false},     {"\x80", false},         {"\xe2\x28\xa1", false}};
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(QVA::StateBlob::isValidUtf8(text, std::strlen(text)), valid) << text;
}
} // namespace
