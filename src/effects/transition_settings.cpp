#include "effects/transition_settings.h"

#include "core/decimal.h"
#include "core/random.h"
#include "core/xml_document.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace pictavo {
namespace {

constexpr const char* kNameAttribute = "NAME";

struct TypeDescriptor {
    int parameterCount;
    const char* groupElement; // two-parameter types only
    TransitionParameterInfo parameters[2];
};

// The shapes of parameter that several types share: a choice among 0..maximum, a width
// and an on/off switch.
constexpr TransitionParameterInfo choice(int maximum, int defaultValue, int divisor,
                                         const char* element)
{
    return {0, maximum, defaultValue, 0, divisor, element, false};
}
constexpr TransitionParameterInfo width(const char* element)
{
    // draw / 405 gives 0..80; 0 is lifted to 1.
    return {1, 80, 40, 0, 405, element, false};
}
constexpr TransitionParameterInfo onOff(const char* element)
{
    return {0, 1, 1, 0, 16380, element, true};
}

// Indexed by TransitionType.
constexpr TypeDescriptor kDescriptors[kTransitionTypeCount] = {
    {1, "", {choice(2, 0, 10920, "TRANSITION_EFFECT_ALPHA_PARAM")}},
    {1, "", {choice(1, 0, 16380, "TRANSITION_EFFECT_ACCORDION_PARAM")}},
    {2,
     "TRANSITION_EFFECT_BLIND_PARAM",
     {choice(1, 0, 16380, "TRANSITION_EFFECT_BLIND_PARAM_DIRECTION"),
      {4, 10, 8, 4, 4680, "TRANSITION_EFFECT_BLIND_WINDOW_NUMBER", false}}},
    {2,
     "TRANSITION_EFFECT_CIRCLE_PARAM",
     {choice(1, 0, 16380, "TRANSITION_EFFECT_CIRCLE_PARAM_DIRECTION"),
      width("TRANSITION_EFFECT_CIRCLE_WIDTH")}},
    {2,
     "TRANSITION_EFFECT_CLOCK_PARAM",
     {choice(2, 2, 10920, "TRANSITION_EFFECT_CLOCK_FINGER_NUMBER"),
      onOff("TRANSITION_EFFECT_CLOCK_PARAM_USE_SMOOTH")}},
    {1, "", {choice(3, 0, 8190, "TRANSITION_EFFECT_CUBE_FLY_PARAM")}},
    {2,
     "TRANSITION_EFFECT_DIAGONAL_SWEEP_PARAM",
     {choice(1, 0, 16380, "TRANSITION_EFFECT_DIAGONAL_SWEEP_DIRECTION"),
      width("TRANSITION_EFFECT_DIAGONAL_SWEEP_PARAM_WIDTH")}},
    {1, "", {choice(1, 0, 16380, "TRANSITION_EFFECT_DOOR_PARAM")}},
    {1, "", {choice(1, 0, 16380, "TRANSITION_EFFECT_FLIP_PARAM")}},
    {1, "", {choice(1, 1, 16380, "TRANSITION_EFFECT_FLY_PARAM")}},
    {2,
     "TRANSITION_EFFECT_POLYGON_PARAM",
     {{3, 9, 7, 3, 4680, "TRANSITION_EFFECT_POLYGON_PARAM_NUMBER", false},
      choice(1, 0, 16380, "TRANSITION_EFFECT_POLYGON_DIRECTION")}},
    {1, "", {choice(1, 0, 16380, "TRANSITION_EFFECT_ROTATE_IN_PARAM")}},
    {2,
     "TRANSITION_EFFECT_SHUTTER_PARAM",
     {choice(1, 0, 16380, "TRANSITION_EFFECT_SHUTTER_DIRECTION"),
      width("TRANSITION_EFFECT_SHUTTER_PARAM_WIDTH")}},
    // Spin's parameter element has the name of its key.
    {1, "", {choice(1, 0, 16380, "TRANSITION_EFFECT_SPIN")}},
    {2,
     "TRANSITION_EFFECT_SWEEP_PARAM",
     {choice(3, 0, 8190, "TRANSITION_EFFECT_SWEEP_DIRECTION"),
      width("TRANSITION_EFFECT_SWEEP_PARAM_WIDTH")}},
    {1, "", {choice(1, 0, 16380, "TRANSITION_EFFECT_TWIST_PARAM")}},
    {2,
     "TRANSITION_EFFECT_WIPE_PARAM",
     {choice(3, 0, 8190, "TRANSITION_EFFECT_WIPE_DIRECTION"),
      onOff("TRANSITION_EFFECT_WIPE_PARAM_PUSH")}},
    {1, "", {choice(1, 0, 16380, "TRANSITION_EFFECT_ZOOM_PARAM")}},
    {0, "", {}},
};

TransitionEditor& installedEditor()
{
    static TransitionEditor editor;
    return editor;
}

int normalised(const TransitionParameterInfo& info, int value)
{
    return info.onOff && value != 0 ? 1 : value;
}

int randomValue(const TransitionParameterInfo& info)
{
    const int value = info.randomOffset + randomDraw() / info.randomDivisor;
    return std::clamp(value, info.minimum, info.maximum);
}

void setError(std::string* errorText, std::string text)
{
    if (errorText)
        *errorText = std::move(text);
}

// Finds the next element of that name among the current siblings and reads its data as a
// decimal integer.
bool readParameter(XmlDocument& document, const char* element, int& value, std::string* errorText)
{
    if (!document.findElement(element)) {
        setError(errorText, std::string("Missing element ") + element);
        return false;
    }
    // Text that is not a number reads as 0, like every number in the program's files.
    value = decimalValue(document.elementData());
    return true;
}

// Steps out of every level entered while reading, so the cursor ends on the element the
// read started from.
class EnteredLevels {
public:
    explicit EnteredLevels(XmlDocument& document) : document_(document) {}
    ~EnteredLevels()
    {
        for (; levels_ > 0; --levels_)
            document_.leaveElement();
    }
    EnteredLevels(const EnteredLevels&) = delete;
    EnteredLevels& operator=(const EnteredLevels&) = delete;

    bool enter()
    {
        if (!document_.enterElement())
            return false;
        ++levels_;
        return true;
    }

private:
    XmlDocument& document_;
    int levels_ = 0;
};

bool addSettingElement(XmlDocument& document, TransitionType type)
{
    return document.addElement(kTransitionSettingElement) &&
           document.setAttribute(kNameAttribute, transitionKey(type));
}

// Random: only its NAME, no parameters and no dialog.
class RandomTransitionSettings final : public TransitionSettings {
public:
    std::unique_ptr<TransitionSettings> clone() const override
    {
        return std::make_unique<RandomTransitionSettings>();
    }
    TransitionType type() const override { return kTransitionRandom; }
    int first() const override { return 0; }
    int second() const override { return 0; }
    void setParameters(int, int) override {}
    bool writeXml(XmlDocument& document) const override
    {
        return addSettingElement(document, kTransitionRandom);
    }
    bool readXml(XmlDocument&, std::string*) override { return true; }
};

// A type with one parameter, written as one child element.
template <TransitionType Type>
class OneParameterTransitionSettings final : public TransitionSettings {
public:
    static constexpr const TransitionParameterInfo& kInfo = kDescriptors[Type].parameters[0];

    OneParameterTransitionSettings() = default;
    explicit OneParameterTransitionSettings(int first) : first_(first) {}

    std::unique_ptr<TransitionSettings> clone() const override
    {
        return std::make_unique<OneParameterTransitionSettings>(first_);
    }
    TransitionType type() const override { return Type; }
    int first() const override { return first_; }
    int second() const override { return 0; }
    void setParameters(int first, int) override { first_ = normalised(kInfo, first); }

    bool writeXml(XmlDocument& document) const override
    {
        return addSettingElement(document, Type) &&
               document.addChildElement(kInfo.elementName, std::to_string(first_));
    }

    bool readXml(XmlDocument& document, std::string* errorText) override
    {
        EnteredLevels levels(document);
        int value = 0;
        if (!levels.enter()) {
            setError(errorText, "No transition element to read");
            return false;
        }
        if (!readParameter(document, kInfo.elementName, value, errorText))
            return false;
        first_ = normalised(kInfo, value);
        return true;
    }

private:
    int first_ = kInfo.defaultValue;
};

// A type with two parameters, written as a group element holding one element per parameter.
template <TransitionType Type>
class TwoParameterTransitionSettings final : public TransitionSettings {
public:
    static constexpr const TypeDescriptor& kDescriptor = kDescriptors[Type];

    TwoParameterTransitionSettings() = default;
    TwoParameterTransitionSettings(int first, int second) : first_(first), second_(second) {}

    std::unique_ptr<TransitionSettings> clone() const override
    {
        return std::make_unique<TwoParameterTransitionSettings>(first_, second_);
    }
    TransitionType type() const override { return Type; }
    int first() const override { return first_; }
    int second() const override { return second_; }
    void setParameters(int first, int second) override
    {
        first_ = normalised(kDescriptor.parameters[0], first);
        second_ = normalised(kDescriptor.parameters[1], second);
    }

    bool writeXml(XmlDocument& document) const override
    {
        return addSettingElement(document, Type) &&
               document.addChildElement(kDescriptor.groupElement) && document.enterElement() &&
               document.addChildElement(kDescriptor.parameters[0].elementName,
                                        std::to_string(first_)) &&
               document.addChildElement(kDescriptor.parameters[1].elementName,
                                        std::to_string(second_)) &&
               document.leaveElement();
    }

    bool readXml(XmlDocument& document, std::string* errorText) override
    {
        EnteredLevels levels(document);
        if (!levels.enter()) {
            setError(errorText, "No transition element to read");
            return false;
        }
        if (!document.findElement(kDescriptor.groupElement)) {
            setError(errorText, std::string("Missing element ") + kDescriptor.groupElement);
            return false;
        }
        levels.enter();
        // The second parameter is searched on from the first one.
        int first = 0;
        int second = 0;
        if (!readParameter(document, kDescriptor.parameters[0].elementName, first, errorText) ||
            !readParameter(document, kDescriptor.parameters[1].elementName, second, errorText))
            return false;
        setParameters(first, second);
        return true;
    }

private:
    int first_ = kDescriptor.parameters[0].defaultValue;
    int second_ = kDescriptor.parameters[1].defaultValue;
};

using AlphaTransitionSettings = OneParameterTransitionSettings<kTransitionAlpha>;
using AccordionTransitionSettings = OneParameterTransitionSettings<kTransitionAccordion>;
using BlindsTransitionSettings = TwoParameterTransitionSettings<kTransitionBlinds>;
using CircleTransitionSettings = TwoParameterTransitionSettings<kTransitionCircle>;
using ClockTransitionSettings = TwoParameterTransitionSettings<kTransitionClock>;
using CubeFlyTransitionSettings = OneParameterTransitionSettings<kTransitionCubeFly>;
using DiagonalSweepTransitionSettings = TwoParameterTransitionSettings<kTransitionDiagonalSweep>;
using DoorTransitionSettings = OneParameterTransitionSettings<kTransitionDoor>;
using FlipTransitionSettings = OneParameterTransitionSettings<kTransitionFlip>;
using FlyTransitionSettings = OneParameterTransitionSettings<kTransitionFly>;
using PolygonTransitionSettings = TwoParameterTransitionSettings<kTransitionPolygon>;
using RotateInTransitionSettings = OneParameterTransitionSettings<kTransitionRotateIn>;
using ShutterTransitionSettings = TwoParameterTransitionSettings<kTransitionShutter>;
using SpinTransitionSettings = OneParameterTransitionSettings<kTransitionSpin>;
using SweepTransitionSettings = TwoParameterTransitionSettings<kTransitionSweep>;
using TwistTransitionSettings = OneParameterTransitionSettings<kTransitionTwist>;
using WipeTransitionSettings = TwoParameterTransitionSettings<kTransitionWipe>;
using ZoomTransitionSettings = OneParameterTransitionSettings<kTransitionZoom>;

// A value of the type at its defaults; nullptr outside 0..18.
std::unique_ptr<TransitionSettings> newSettings(TransitionType type)
{
    switch (type) {
    case kTransitionAlpha:
        return std::make_unique<AlphaTransitionSettings>();
    case kTransitionAccordion:
        return std::make_unique<AccordionTransitionSettings>();
    case kTransitionBlinds:
        return std::make_unique<BlindsTransitionSettings>();
    case kTransitionCircle:
        return std::make_unique<CircleTransitionSettings>();
    case kTransitionClock:
        return std::make_unique<ClockTransitionSettings>();
    case kTransitionCubeFly:
        return std::make_unique<CubeFlyTransitionSettings>();
    case kTransitionDiagonalSweep:
        return std::make_unique<DiagonalSweepTransitionSettings>();
    case kTransitionDoor:
        return std::make_unique<DoorTransitionSettings>();
    case kTransitionFlip:
        return std::make_unique<FlipTransitionSettings>();
    case kTransitionFly:
        return std::make_unique<FlyTransitionSettings>();
    case kTransitionPolygon:
        return std::make_unique<PolygonTransitionSettings>();
    case kTransitionRotateIn:
        return std::make_unique<RotateInTransitionSettings>();
    case kTransitionShutter:
        return std::make_unique<ShutterTransitionSettings>();
    case kTransitionSpin:
        return std::make_unique<SpinTransitionSettings>();
    case kTransitionSweep:
        return std::make_unique<SweepTransitionSettings>();
    case kTransitionTwist:
        return std::make_unique<TwistTransitionSettings>();
    case kTransitionWipe:
        return std::make_unique<WipeTransitionSettings>();
    case kTransitionZoom:
        return std::make_unique<ZoomTransitionSettings>();
    case kTransitionRandom:
        return std::make_unique<RandomTransitionSettings>();
    default:
        return nullptr;
    }
}

} // namespace

std::string transitionParameterGroupElement(TransitionType type)
{
    return isTransitionType(type) ? kDescriptors[type].groupElement : "";
}

int transitionParameterCount(TransitionType type)
{
    return isTransitionType(type) ? kDescriptors[type].parameterCount : 0;
}

const TransitionParameterInfo* transitionParameterInfo(TransitionType type, int index)
{
    if (index < 0 || index >= transitionParameterCount(type))
        return nullptr;
    return &kDescriptors[type].parameters[index];
}

std::unique_ptr<TransitionSettings> TransitionSettings::createDefault(TransitionType type)
{
    return newSettings(type);
}

std::unique_ptr<TransitionSettings> TransitionSettings::createRandom(TransitionType type)
{
    auto value = newSettings(type);
    if (!value)
        return nullptr;
    const int count = transitionParameterCount(type);
    // One draw per parameter, the first parameter first.
    const int first = count > 0 ? randomValue(kDescriptors[type].parameters[0]) : 0;
    const int second = count > 1 ? randomValue(kDescriptors[type].parameters[1]) : 0;
    value->setParameters(first, second);
    return value;
}

std::unique_ptr<TransitionSettings>
TransitionSettings::createFromTemplate(const TransitionSettings& from)
{
    TransitionType type = from.type();
    if (type == kTransitionRandom)
        type = randomTransitionType();
    if (type == from.type())
        return from.clone();
    return createRandom(type);
}

std::unique_ptr<TransitionSettings> TransitionSettings::createFromXml(XmlDocument& document,
                                                                      std::string* errorText)
{
    const std::string key = document.attribute(kNameAttribute);
    const TransitionType type = transitionTypeForKey(key);
    if (type < 0) {
        setError(errorText, "Unknown transition \"" + key + "\"");
        return nullptr;
    }
    auto value = newSettings(type);
    if (!value->readXml(document, errorText))
        return nullptr;
    return value;
}

bool TransitionSettings::edit()
{
    const TransitionEditor& editor = installedEditor();
    if (type() == kTransitionRandom || !editor)
        return false;
    return editor(*this);
}

void installTransitionEditor(TransitionEditor editor)
{
    installedEditor() = std::move(editor);
}

} // namespace pictavo
