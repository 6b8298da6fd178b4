#pragma once

#include "effects/effect_catalogue.h"

#include <functional>
#include <memory>
#include <string>

namespace pictavo {

class XmlDocument;

// The element that holds one stored transition; its NAME attribute is the type's key.
inline constexpr const char* kTransitionSettingElement = "TRANSITION_EFFECT_SETTING";

// Range, default and random rule of one transition parameter. A random value is
// offset + draw / divisor, clamped into minimum..maximum (which folds the single top quotient
// of the division into the last legal value, and lifts a zero width to 1).
struct TransitionParameterInfo {
    int minimum = 0;
    int maximum = 0;
    int defaultValue = 0;
    int randomOffset = 0;
    int randomDivisor = 1;
    // Name of the element that holds the value in the XML form.
    const char* elementName = "";
    // An on/off parameter: 0 or 1, any non-zero value is taken as 1.
    bool onOff = false;
};

// Name of the element that groups the two parameters of a two-parameter type in the XML
// form (e.g. "TRANSITION_EFFECT_WIPE_PARAM"); "" for the other types.
std::string transitionParameterGroupElement(TransitionType type);

// Number of parameters of a type: 0 for Random, 1 or 2 for the concrete types; 0 outside.
int transitionParameterCount(TransitionType type);

// Description of parameter index (0 = first, 1 = second) of a type; nullptr when the type
// has no such parameter.
const TransitionParameterInfo* transitionParameterInfo(TransitionType type, int index);

// One transition: its type and up to two integer parameters. Every type has a small subclass
// of its own; values are owned by whoever holds them (a photo's effect record, the template
// store) and are copied with clone(), never shared.
//
// Parameters are stored as given or as read, without range tests; only the on/off parameters
// (Clock's smooth, Wipe's push) are normalised to 0 or 1.
class TransitionSettings {
public:
    virtual ~TransitionSettings() = default;
    TransitionSettings(const TransitionSettings&) = delete;
    TransitionSettings& operator=(const TransitionSettings&) = delete;

    // The defaults of a type. nullptr when the type is outside 0..18.
    static std::unique_ptr<TransitionSettings> createDefault(TransitionType type);

    // Random parameters of a type, drawn by the type's rules (first parameter first, one draw
    // per parameter). Random (18) has no parameters and takes no draw. nullptr outside 0..18.
    static std::unique_ptr<TransitionSettings> createRandom(TransitionType type);

    // The value a photo receives from a template: a Random template resolves to a concrete
    // type drawn with randomTransitionType(); when the resulting type is the template's own,
    // the result is an exact copy, otherwise it carries random parameters of the new type.
    static std::unique_ptr<TransitionSettings> createFromTemplate(const TransitionSettings& from);

    // Reads the TRANSITION_EFFECT_SETTING element at the document's current position: the
    // type from its NAME attribute, then the type's parameters. nullptr when the NAME is no
    // known key, when a parameter element is missing, or when a parameter text is not a
    // decimal integer; errorText (when given) then says why. The cursor is left on the
    // element it started from.
    static std::unique_ptr<TransitionSettings> createFromXml(XmlDocument& document,
                                                             std::string* errorText = nullptr);

    // An exact copy.
    virtual std::unique_ptr<TransitionSettings> clone() const = 0;

    virtual TransitionType type() const = 0;
    int parameterCount() const { return transitionParameterCount(type()); }
    // The parameters; 0 where the type has no such parameter.
    virtual int first() const = 0;
    virtual int second() const = 0;

    // Stores new parameters (the settings dialogs call this on OK). A one-parameter type
    // ignores second; Random ignores both.
    virtual void setParameters(int first, int second = 0) = 0;

    // Appends this value's TRANSITION_EFFECT_SETTING element as a sibling after the
    // document's current element (after the parent's last child when there is no current
    // element) and leaves the cursor on it. False when the document refused an edit.
    virtual bool writeXml(XmlDocument& document) const = 0;

    // Reads this type's parameters from the TRANSITION_EFFECT_SETTING element at the
    // document's current position (its NAME is not checked here; createFromXml picks the
    // type by it). On failure the value is unchanged. The cursor is left on the element.
    virtual bool readXml(XmlDocument& document, std::string* errorText = nullptr) = 0;

    // Runs the type's settings dialog on this value through the installed editor. Random
    // has no dialog; without an installed editor nothing happens. True when the editor
    // accepted (OK), false otherwise.
    bool edit();

    friend bool operator==(const TransitionSettings& a, const TransitionSettings& b)
    {
        return a.type() == b.type() && a.first() == b.first() && a.second() == b.second();
    }

protected:
    TransitionSettings() = default;
};

// The settings dialogs are supplied by the user interface, which installs an editor here.
// The editor runs the dialog of the value's type modally, calls setParameters on OK and
// returns true then; false on Cancel. An empty function removes the editor.
using TransitionEditor = std::function<bool(TransitionSettings&)>;
void installTransitionEditor(TransitionEditor editor);

} // namespace pictavo
