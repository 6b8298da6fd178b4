#include "core/xml_document.h"
#include "effects/transition_settings.h"
#include "forced_draws.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pictavo {
namespace {

using test::ForcedDraws;

const std::string kCrLf = "\r\n";

struct Expected {
    TransitionType type;
    int first;
    int second;
};

// The defaults of every type.
const Expected kDefaults[] = {
    {kTransitionAlpha, 0, 0},          {kTransitionAccordion, 0, 0},
    {kTransitionBlinds, 0, 8},         {kTransitionCircle, 0, 40},
    {kTransitionClock, 2, 1},          {kTransitionCubeFly, 0, 0},
    {kTransitionDiagonalSweep, 0, 40}, {kTransitionDoor, 0, 0},
    {kTransitionFlip, 0, 0},           {kTransitionFly, 1, 0},
    {kTransitionPolygon, 7, 0},        {kTransitionRotateIn, 0, 0},
    {kTransitionShutter, 0, 40},       {kTransitionSpin, 0, 0},
    {kTransitionSweep, 0, 40},         {kTransitionTwist, 0, 0},
    {kTransitionWipe, 0, 1},           {kTransitionZoom, 0, 0},
    {kTransitionRandom, 0, 0},
};

// The elements that hold the parameters in the file format.
struct Elements {
    TransitionType type;
    const char* group; // "" for one-parameter types
    const char* first;
    const char* second;
};

const Elements kElements[] = {
    {kTransitionAlpha, "", "TRANSITION_EFFECT_ALPHA_PARAM", ""},
    {kTransitionAccordion, "", "TRANSITION_EFFECT_ACCORDION_PARAM", ""},
    {kTransitionBlinds, "TRANSITION_EFFECT_BLIND_PARAM", "TRANSITION_EFFECT_BLIND_PARAM_DIRECTION",
     "TRANSITION_EFFECT_BLIND_WINDOW_NUMBER"},
    {kTransitionCircle, "TRANSITION_EFFECT_CIRCLE_PARAM",
     "TRANSITION_EFFECT_CIRCLE_PARAM_DIRECTION", "TRANSITION_EFFECT_CIRCLE_WIDTH"},
    {kTransitionClock, "TRANSITION_EFFECT_CLOCK_PARAM", "TRANSITION_EFFECT_CLOCK_FINGER_NUMBER",
     "TRANSITION_EFFECT_CLOCK_PARAM_USE_SMOOTH"},
    {kTransitionCubeFly, "", "TRANSITION_EFFECT_CUBE_FLY_PARAM", ""},
    {kTransitionDiagonalSweep, "TRANSITION_EFFECT_DIAGONAL_SWEEP_PARAM",
     "TRANSITION_EFFECT_DIAGONAL_SWEEP_DIRECTION", "TRANSITION_EFFECT_DIAGONAL_SWEEP_PARAM_WIDTH"},
    {kTransitionDoor, "", "TRANSITION_EFFECT_DOOR_PARAM", ""},
    {kTransitionFlip, "", "TRANSITION_EFFECT_FLIP_PARAM", ""},
    {kTransitionFly, "", "TRANSITION_EFFECT_FLY_PARAM", ""},
    {kTransitionPolygon, "TRANSITION_EFFECT_POLYGON_PARAM",
     "TRANSITION_EFFECT_POLYGON_PARAM_NUMBER", "TRANSITION_EFFECT_POLYGON_DIRECTION"},
    {kTransitionRotateIn, "", "TRANSITION_EFFECT_ROTATE_IN_PARAM", ""},
    {kTransitionShutter, "TRANSITION_EFFECT_SHUTTER_PARAM", "TRANSITION_EFFECT_SHUTTER_DIRECTION",
     "TRANSITION_EFFECT_SHUTTER_PARAM_WIDTH"},
    {kTransitionSpin, "", "TRANSITION_EFFECT_SPIN", ""},
    {kTransitionSweep, "TRANSITION_EFFECT_SWEEP_PARAM", "TRANSITION_EFFECT_SWEEP_DIRECTION",
     "TRANSITION_EFFECT_SWEEP_PARAM_WIDTH"},
    {kTransitionTwist, "", "TRANSITION_EFFECT_TWIST_PARAM", ""},
    {kTransitionWipe, "TRANSITION_EFFECT_WIPE_PARAM", "TRANSITION_EFFECT_WIPE_DIRECTION",
     "TRANSITION_EFFECT_WIPE_PARAM_PUSH"},
    {kTransitionZoom, "", "TRANSITION_EFFECT_ZOOM_PARAM", ""},
    {kTransitionRandom, "", "", ""},
};

std::string element(const std::string& name, const std::string& data)
{
    return "<" + name + ">" + data + "</" + name + ">" + kCrLf;
}

// The text the writer produces for one value, one element per line with CR LF.
std::string settingText(const Elements& e, int first, int second)
{
    const std::string open = "<TRANSITION_EFFECT_SETTING NAME=\"" + transitionKey(e.type) + "\"";
    if (e.first[0] == '\0')
        return open + "/>" + kCrLf;
    std::string inner;
    if (e.group[0] == '\0') {
        inner = element(e.first, std::to_string(first));
    } else {
        inner = std::string("<") + e.group + ">" + kCrLf + element(e.first, std::to_string(first)) +
                element(e.second, std::to_string(second)) + "</" + e.group + ">" + kCrLf;
    }
    return open + ">" + kCrLf + inner + "</TRANSITION_EFFECT_SETTING>" + kCrLf;
}

// Parses "<root>" + inner + "</root>" and leaves the cursor on the first child of the root.
bool openFirstChild(XmlDocument& document, const std::string& inner)
{
    return document.setText("<root>" + inner + "</root>") && document.findElement("root") &&
           document.enterElement() && document.findElement();
}

std::string writtenText(const TransitionSettings& value)
{
    XmlDocument document;
    EXPECT_TRUE(document.addElement("root"));
    EXPECT_TRUE(document.enterElement());
    EXPECT_TRUE(value.writeXml(document));
    EXPECT_TRUE(document.leaveElement());
    return document.documentText();
}

std::unique_ptr<TransitionSettings> readBack(const std::string& inner, std::string* error = nullptr)
{
    XmlDocument document;
    if (!openFirstChild(document, inner)) {
        ADD_FAILURE() << "fixture does not parse: " << inner;
        return nullptr;
    }
    return TransitionSettings::createFromXml(document, error);
}

TEST(TransitionSettingsValue, DefaultsOfEveryType)
{
    for (const Expected& e : kDefaults) {
        auto value = TransitionSettings::createDefault(e.type);
        ASSERT_TRUE(value) << e.type;
        EXPECT_EQ(value->type(), e.type);
        EXPECT_EQ(value->first(), e.first) << e.type;
        EXPECT_EQ(value->second(), e.second) << e.type;
        const TransitionParameterInfo* info = transitionParameterInfo(e.type, 0);
        if (info) {
            EXPECT_EQ(info->defaultValue, e.first) << e.type;
        }
    }
    EXPECT_EQ(TransitionSettings::createDefault(-1), nullptr);
    EXPECT_EQ(TransitionSettings::createDefault(19), nullptr);
    EXPECT_EQ(TransitionSettings::createRandom(19), nullptr);
    EXPECT_EQ(TransitionSettings::createDefault(kTransitionRandom)->parameterCount(), 0);
    EXPECT_EQ(TransitionSettings::createDefault(kTransitionDoor)->parameterCount(), 1);
    EXPECT_EQ(TransitionSettings::createDefault(kTransitionWipe)->parameterCount(), 2);
}

TEST(TransitionSettingsValue, RandomParametersFollowEachTypesRule)
{
    const struct {
        TransitionType type;
        int firstDraw;
        int secondDraw;
        int first;
        int second;
    } cases[] = {
        // variant: draw / 10920, the top quotient 3 folded to 2
        {kTransitionAlpha, 10919, -1, 0, 0},
        {kTransitionAlpha, 21840, -1, 2, 0},
        {kTransitionAlpha, 32767, -1, 2, 0},
        {kTransitionDoor, 16379, -1, 0, 0},
        {kTransitionDoor, 16380, -1, 1, 0},
        {kTransitionDoor, 32767, -1, 1, 0},
        {kTransitionCubeFly, 8190, -1, 1, 0},
        {kTransitionCubeFly, 32767, -1, 3, 0},
        // blinds: 4 + draw / 4680, 11 folded to 10
        {kTransitionBlinds, 0, 0, 0, 4},
        {kTransitionBlinds, 32767, 32759, 1, 10},
        {kTransitionBlinds, 0, 32767, 0, 10},
        // widths: draw / 405 gives 0..80, and 0 becomes 1
        {kTransitionCircle, 0, 0, 0, 1},
        {kTransitionCircle, 0, 404, 0, 1},
        {kTransitionCircle, 0, 810, 0, 2},
        {kTransitionCircle, 0, 32767, 0, 80},
        {kTransitionShutter, 16380, 16200, 1, 40},
        {kTransitionDiagonalSweep, 32767, 405, 1, 1},
        {kTransitionSweep, 32767, 32399, 3, 79},
        // smooth and push: draw / 16380 != 0
        {kTransitionClock, 32767, 0, 2, 0},
        {kTransitionClock, 10920, 16380, 1, 1},
        {kTransitionClock, 0, 32767, 0, 1},
        {kTransitionWipe, 32767, 16379, 3, 0},
        {kTransitionWipe, 24570, 32767, 3, 1},
        // polygon pieces: 3 + draw / 4680, 10 folded to 9; the pieces come first
        {kTransitionPolygon, 0, 32767, 3, 1},
        {kTransitionPolygon, 32767, 0, 9, 0},
        {kTransitionPolygon, 18720, 0, 7, 0},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TransitionSettings> value;
        if (c.secondDraw < 0) {
            ForcedDraws draws({c.firstDraw});
            value = TransitionSettings::createRandom(c.type);
            EXPECT_TRUE(ForcedDraws::allTaken()) << c.type;
        } else {
            ForcedDraws draws({c.firstDraw, c.secondDraw});
            value = TransitionSettings::createRandom(c.type);
            EXPECT_TRUE(ForcedDraws::allTaken()) << c.type;
        }
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type(), c.type);
        EXPECT_EQ(value->first(), c.first) << c.type << " draws " << c.firstDraw;
        EXPECT_EQ(value->second(), c.second) << c.type << " draws " << c.secondDraw;
    }
}

TEST(TransitionSettingsValue, RandomValuesStayInRangeForEveryType)
{
    seedRandom(4242);
    for (int type = 0; type < kConcreteTransitionCount; ++type) {
        for (int i = 0; i < 300; ++i) {
            auto value = TransitionSettings::createRandom(type);
            for (int index = 0; index < value->parameterCount(); ++index) {
                const TransitionParameterInfo* info = transitionParameterInfo(type, index);
                const int v = index == 0 ? value->first() : value->second();
                EXPECT_GE(v, info->minimum) << type;
                EXPECT_LE(v, info->maximum) << type;
            }
        }
    }
    ForcedDraws draws({});
    EXPECT_EQ(TransitionSettings::createRandom(kTransitionRandom)->type(), kTransitionRandom);
    EXPECT_TRUE(ForcedDraws::allTaken());
}

TEST(TransitionSettingsValue, ConcreteTemplateIsCopiedExactlyWithoutDraws)
{
    auto door = TransitionSettings::createDefault(kTransitionDoor);
    door->setParameters(1);
    auto sweep = TransitionSettings::createDefault(kTransitionSweep);
    sweep->setParameters(2, 77);
    for (const TransitionSettings* from : {door.get(), sweep.get()}) {
        for (int i = 0; i < 3; ++i) {
            ForcedDraws draws({});
            auto copy = TransitionSettings::createFromTemplate(*from);
            EXPECT_TRUE(ForcedDraws::allTaken());
            ASSERT_TRUE(copy);
            EXPECT_NE(copy.get(), from);
            EXPECT_EQ(*copy, *from);
        }
    }
}

TEST(TransitionSettingsValue, RandomTemplateGivesRandomTypeWithRandomParameters)
{
    const auto random = TransitionSettings::createDefault(kTransitionRandom);
    {
        // The top draw gives Zoom; its one parameter takes the next draw.
        ForcedDraws draws({32767, 16380});
        auto value = TransitionSettings::createFromTemplate(*random);
        EXPECT_TRUE(ForcedDraws::allTaken());
        EXPECT_EQ(value->type(), kTransitionZoom);
        EXPECT_EQ(value->first(), 1);
    }
    {
        // 3640 / 1820 = 2: Blinds, then its direction and its number of blinds.
        ForcedDraws draws({3640, 20000, 9360});
        auto value = TransitionSettings::createFromTemplate(*random);
        EXPECT_TRUE(ForcedDraws::allTaken());
        EXPECT_EQ(value->type(), kTransitionBlinds);
        EXPECT_EQ(value->first(), 1);
        EXPECT_EQ(value->second(), 6);
    }
    {
        // Alpha at its default parameters drawn: still random, not the template's (absent) ones.
        ForcedDraws draws({0, 32767});
        auto value = TransitionSettings::createFromTemplate(*random);
        EXPECT_TRUE(ForcedDraws::allTaken());
        EXPECT_EQ(value->type(), kTransitionAlpha);
        EXPECT_EQ(value->first(), 2);
    }
    seedRandom(17);
    std::vector<int> seen(kTransitionTypeCount, 0);
    for (int i = 0; i < 500; ++i) {
        auto value = TransitionSettings::createFromTemplate(*random);
        ASSERT_TRUE(isConcreteTransition(value->type()));
        ++seen[value->type()];
    }
    for (int type = 0; type < kConcreteTransitionCount; ++type)
        EXPECT_GT(seen[type], 0) << type;
}

TEST(TransitionSettingsValue, SetParametersStoresValuesAsGivenAndNormalisesSwitches)
{
    auto wipe = TransitionSettings::createDefault(kTransitionWipe);
    wipe->setParameters(7, 5);
    EXPECT_EQ(wipe->first(), 7);
    EXPECT_EQ(wipe->second(), 1);
    wipe->setParameters(-2, 0);
    EXPECT_EQ(wipe->first(), -2);
    EXPECT_EQ(wipe->second(), 0);
    auto clock = TransitionSettings::createDefault(kTransitionClock);
    clock->setParameters(0, -3);
    EXPECT_EQ(clock->second(), 1);
    auto circle = TransitionSettings::createDefault(kTransitionCircle);
    circle->setParameters(1, 500);
    EXPECT_EQ(circle->second(), 500);
    auto door = TransitionSettings::createDefault(kTransitionDoor);
    door->setParameters(1, 99);
    EXPECT_EQ(door->first(), 1);
    EXPECT_EQ(door->second(), 0);
    auto random = TransitionSettings::createDefault(kTransitionRandom);
    random->setParameters(4, 4);
    EXPECT_EQ(random->first(), 0);
    auto copy = circle->clone();
    circle->setParameters(0, 3);
    EXPECT_EQ(copy->second(), 500);
}

TEST(TransitionSettingsXml, EveryTypeWritesItsElementsAndReadsThemBack)
{
    for (const Elements& e : kElements) {
        auto value = TransitionSettings::createDefault(e.type);
        // Values away from the defaults, so that a reader that kept the defaults shows.
        const TransitionParameterInfo* firstInfo = transitionParameterInfo(e.type, 0);
        const TransitionParameterInfo* secondInfo = transitionParameterInfo(e.type, 1);
        const int first = firstInfo ? firstInfo->defaultValue + 1 : 0;
        const int second = !secondInfo ? 0 : secondInfo->onOff ? 0 : secondInfo->defaultValue + 3;
        value->setParameters(first, second);
        const int expectedFirst = value->first();
        const int expectedSecond = value->second();
        const std::string text = writtenText(*value);
        EXPECT_EQ(text, "<root>" + kCrLf + settingText(e, expectedFirst, expectedSecond) +
                            "</root>" + kCrLf)
            << e.type;

        XmlDocument document;
        ASSERT_TRUE(document.setText(text));
        ASSERT_TRUE(document.findElement("root"));
        ASSERT_TRUE(document.enterElement());
        ASSERT_TRUE(document.findElement("TRANSITION_EFFECT_SETTING"));
        std::string error;
        auto read = TransitionSettings::createFromXml(document, &error);
        ASSERT_TRUE(read) << e.type << ": " << error;
        EXPECT_EQ(*read, *value) << e.type;
        // The cursor is back on the element that was read.
        EXPECT_EQ(document.tagName(), "TRANSITION_EFFECT_SETTING");
        EXPECT_EQ(document.attribute("NAME"), transitionKey(e.type));
    }
}

TEST(TransitionSettingsXml, DoorAtItsDefaultIsOneParameterElement)
{
    EXPECT_EQ(writtenText(*TransitionSettings::createDefault(kTransitionDoor)),
              "<root>\r\n<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\">\r\n"
              "<TRANSITION_EFFECT_DOOR_PARAM>0</TRANSITION_EFFECT_DOOR_PARAM>\r\n"
              "</TRANSITION_EFFECT_SETTING>\r\n</root>\r\n");
}

TEST(TransitionSettingsXml, ValuesAreReadAsWrittenWithoutRangeTests)
{
    const struct {
        const char* text;
        TransitionType type;
        int first;
        int second;
    } cases[] = {
        {"<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_WIPE\"><TRANSITION_EFFECT_WIPE_PARAM>"
         "<TRANSITION_EFFECT_WIPE_DIRECTION>2</TRANSITION_EFFECT_WIPE_DIRECTION>"
         "<TRANSITION_EFFECT_WIPE_PARAM_PUSH>5</TRANSITION_EFFECT_WIPE_PARAM_PUSH>"
         "</TRANSITION_EFFECT_WIPE_PARAM></TRANSITION_EFFECT_SETTING>",
         kTransitionWipe, 2, 1},
        {"<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_CLOCK\">"
         "<TRANSITION_EFFECT_CLOCK_PARAM>"
         "<TRANSITION_EFFECT_CLOCK_FINGER_NUMBER>7</TRANSITION_EFFECT_CLOCK_FINGER_NUMBER>"
         "<TRANSITION_EFFECT_CLOCK_PARAM_USE_SMOOTH>-1</TRANSITION_EFFECT_CLOCK_PARAM_USE_SMOOTH>"
         "</TRANSITION_EFFECT_CLOCK_PARAM></TRANSITION_EFFECT_SETTING>",
         kTransitionClock, 7, 1},
        {"<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_CIRCLE\">"
         "<TRANSITION_EFFECT_CIRCLE_PARAM>"
         "<TRANSITION_EFFECT_CIRCLE_PARAM_DIRECTION>-4</TRANSITION_EFFECT_CIRCLE_PARAM_DIRECTION>"
         "<TRANSITION_EFFECT_CIRCLE_WIDTH> 500 </TRANSITION_EFFECT_CIRCLE_WIDTH>"
         "</TRANSITION_EFFECT_CIRCLE_PARAM></TRANSITION_EFFECT_SETTING>",
         kTransitionCircle, -4, 500},
        {"<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_SPIN\">"
         "<TRANSITION_EFFECT_SPIN>+1</TRANSITION_EFFECT_SPIN></TRANSITION_EFFECT_SETTING>",
         kTransitionSpin, 1, 0},
        {"<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_CUBE_FLY\">"
         "<other>x</other><TRANSITION_EFFECT_CUBE_FLY_PARAM>3</TRANSITION_EFFECT_CUBE_FLY_PARAM>"
         "</TRANSITION_EFFECT_SETTING>",
         kTransitionCubeFly, 3, 0},
        // Random has no parameters; anything inside is ignored.
        {"<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_RANDOM\"><x>1</x>"
         "</TRANSITION_EFFECT_SETTING>",
         kTransitionRandom, 0, 0},
    };
    for (const auto& c : cases) {
        std::string error;
        auto value = readBack(c.text, &error);
        ASSERT_TRUE(value) << c.text << ": " << error;
        EXPECT_EQ(value->type(), c.type);
        EXPECT_EQ(value->first(), c.first) << c.text;
        EXPECT_EQ(value->second(), c.second) << c.text;
    }
}

TEST(TransitionSettingsXml, DamagedElementsFailTheRead)
{
    const char* cases[] = {
        // unknown, differently cased or missing NAME
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_MELT\">"
        "<TRANSITION_EFFECT_MELT_PARAM>0</TRANSITION_EFFECT_MELT_PARAM>"
        "</TRANSITION_EFFECT_SETTING>",
        "<TRANSITION_EFFECT_SETTING NAME=\"transition_effect_door\">"
        "<TRANSITION_EFFECT_DOOR_PARAM>0</TRANSITION_EFFECT_DOOR_PARAM>"
        "</TRANSITION_EFFECT_SETTING>",
        "<TRANSITION_EFFECT_SETTING><TRANSITION_EFFECT_DOOR_PARAM>0</TRANSITION_EFFECT_DOOR_PARAM>"
        "</TRANSITION_EFFECT_SETTING>",
        // missing parameter element
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\"/>",
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\">"
        "<TRANSITION_EFFECT_FLIP_PARAM>0</TRANSITION_EFFECT_FLIP_PARAM>"
        "</TRANSITION_EFFECT_SETTING>",
        // missing group, missing second parameter, parameters in the wrong order
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_WIPE\">"
        "<TRANSITION_EFFECT_WIPE_DIRECTION>2</TRANSITION_EFFECT_WIPE_DIRECTION>"
        "<TRANSITION_EFFECT_WIPE_PARAM_PUSH>1</TRANSITION_EFFECT_WIPE_PARAM_PUSH>"
        "</TRANSITION_EFFECT_SETTING>",
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_WIPE\"><TRANSITION_EFFECT_WIPE_PARAM>"
        "<TRANSITION_EFFECT_WIPE_DIRECTION>2</TRANSITION_EFFECT_WIPE_DIRECTION>"
        "</TRANSITION_EFFECT_WIPE_PARAM></TRANSITION_EFFECT_SETTING>",
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_WIPE\"><TRANSITION_EFFECT_WIPE_PARAM>"
        "<TRANSITION_EFFECT_WIPE_PARAM_PUSH>1</TRANSITION_EFFECT_WIPE_PARAM_PUSH>"
        "<TRANSITION_EFFECT_WIPE_DIRECTION>2</TRANSITION_EFFECT_WIPE_DIRECTION>"
        "</TRANSITION_EFFECT_WIPE_PARAM></TRANSITION_EFFECT_SETTING>",
    };
    for (const char* text : cases) {
        XmlDocument document;
        ASSERT_TRUE(openFirstChild(document, text)) << text;
        std::string error;
        EXPECT_EQ(TransitionSettings::createFromXml(document, &error), nullptr) << text;
        EXPECT_FALSE(error.empty()) << text;
        // The cursor stays on the element, so a reader can go on with the next one.
        EXPECT_EQ(document.tagName(), "TRANSITION_EFFECT_SETTING") << text;
    }
}

TEST(TransitionSettingsXml, FailedReadLeavesTheValueUnchanged)
{
    auto value = TransitionSettings::createDefault(kTransitionBlinds);
    value->setParameters(1, 5);
    XmlDocument document;
    ASSERT_TRUE(openFirstChild(
        document,
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_BLIND\">"
        "<TRANSITION_EFFECT_BLIND_PARAM>"
        "<TRANSITION_EFFECT_BLIND_PARAM_DIRECTION>0</TRANSITION_EFFECT_BLIND_PARAM_DIRECTION>"
        "</TRANSITION_EFFECT_BLIND_PARAM></TRANSITION_EFFECT_SETTING>"));
    EXPECT_FALSE(value->readXml(document));
    EXPECT_EQ(value->first(), 1);
    EXPECT_EQ(value->second(), 5);
}

TEST(TransitionSettingsXml, ValuesFollowEachOtherInOneParent)
{
    XmlDocument document;
    ASSERT_TRUE(document.addElement("root"));
    ASSERT_TRUE(document.enterElement());
    auto wipe = TransitionSettings::createDefault(kTransitionWipe);
    wipe->setParameters(3, 0);
    auto fly = TransitionSettings::createDefault(kTransitionFly);
    ASSERT_TRUE(wipe->writeXml(document));
    ASSERT_TRUE(fly->writeXml(document));
    ASSERT_TRUE(document.addElement("after", "1"));
    ASSERT_TRUE(document.leaveElement());

    XmlDocument reread;
    ASSERT_TRUE(reread.setText(document.documentText()));
    ASSERT_TRUE(reread.findElement("root"));
    ASSERT_TRUE(reread.enterElement());
    ASSERT_TRUE(reread.findElement());
    auto first = TransitionSettings::createFromXml(reread);
    ASSERT_TRUE(reread.findElement());
    auto second = TransitionSettings::createFromXml(reread);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *wipe);
    EXPECT_EQ(*second, *fly);
    ASSERT_TRUE(reread.findElement("after"));
    EXPECT_EQ(reread.elementData(), "1");
}

TEST(TransitionSettingsEdit, RunsTheInstalledEditorExceptForRandom)
{
    auto zoom = TransitionSettings::createDefault(kTransitionZoom);
    EXPECT_FALSE(zoom->edit()); // no editor installed: nothing happens
    EXPECT_EQ(zoom->first(), 0);

    std::vector<TransitionType> opened;
    installTransitionEditor([&](TransitionSettings& value) {
        opened.push_back(value.type());
        value.setParameters(1);
        return true;
    });
    EXPECT_TRUE(zoom->edit());
    EXPECT_EQ(zoom->first(), 1);
    EXPECT_FALSE(TransitionSettings::createDefault(kTransitionRandom)->edit());
    EXPECT_EQ(opened, std::vector<TransitionType>{kTransitionZoom});

    installTransitionEditor([](TransitionSettings&) { return false; });
    EXPECT_FALSE(zoom->edit());
    installTransitionEditor({});
    EXPECT_FALSE(zoom->edit());
}

} // namespace
} // namespace pictavo

namespace pictavo {
namespace {

TEST(TransitionSettingsXml, ParameterTextsReadByTheDecimalConversion)
{
    const struct {
        const char* text;
        int value;
    } cases[] = {{"open", 0}, {"1x", 1},  {"", 0},    {"1.5", 1},
                 {" 3 ", 3},  {"+-1", 0}, {"-2", -2}, {"99999999999", 2147483647}};
    for (const auto& c : cases) {
        XmlDocument document;
        const std::string text =
            std::string("<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\">"
                        "<TRANSITION_EFFECT_DOOR_PARAM>") +
            c.text + "</TRANSITION_EFFECT_DOOR_PARAM></TRANSITION_EFFECT_SETTING>";
        ASSERT_TRUE(openFirstChild(document, text)) << c.text;
        std::string error;
        const auto value = TransitionSettings::createFromXml(document, &error);
        ASSERT_NE(value, nullptr) << c.text << ": " << error;
        EXPECT_EQ(value->type(), kTransitionDoor);
        EXPECT_EQ(value->first(), c.value) << c.text;
    }
}

} // namespace
} // namespace pictavo
