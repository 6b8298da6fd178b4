#pragma once

#include "effects/transition_settings.h"

#include <memory>
#include <string>
#include <vector>

namespace pictavo {

class XmlDocument;

// The element of the preferences file that holds the templates.
inline constexpr const char* kTransitionStoreElement = "EFFECT_SETS";

// The application-wide set of transition templates: Random and one per concrete type, in
// picking order (position 0 is Random, position p is type p - 1). They hold the parameters
// the user last chose in the settings dialogs; photos receive copies made with
// TransitionSettings::createFromTemplate. There are always exactly 19 templates in this order.
class TransitionSettingsStore {
public:
    static constexpr int kTemplateCount = kTransitionTypeCount;

    // Builds the cover paths and starts at the defaults.
    TransitionSettingsStore();
    TransitionSettingsStore(const TransitionSettingsStore&) = delete;
    TransitionSettingsStore& operator=(const TransitionSettingsStore&) = delete;

    // Random, then the defaults of types 0..17.
    void resetToDefaults();

    int templateCount() const { return static_cast<int>(templates_.size()); }

    // The template at a picking position, still owned by the store; nullptr outside 0..18.
    TransitionSettings* templateAt(int position);
    const TransitionSettings* templateAt(int position) const;

    // The cover picture paths in picking order, built once at construction.
    const std::vector<std::string>& coverPaths() const { return coverPaths_; }
    // "" outside 0..18.
    std::string coverPathAt(int position) const;

    // Runs the settings dialog of the template at a picking position (see
    // TransitionSettings::edit). False outside 0..18, for Random, without an editor, or when
    // the dialog was cancelled.
    bool editTemplate(int position);

    // Reads EFFECT_SETS, searched forward from the document's current position (inside the
    // root element of the preferences file). True when exactly 19 templates were read, each a
    // valid value of the type its position expects. Otherwise (no EFFECT_SETS, a missing or
    // extra entry, an unknown NAME, an unreadable value, entries out of order) the store
    // returns to its defaults and the result is false. When EFFECT_SETS was found, the cursor
    // is left on it.
    bool readXml(XmlDocument& document);

    // Appends EFFECT_SETS with the 19 templates in picking order as a sibling after the
    // document's current element and leaves the cursor on it. False when the document
    // refused an edit.
    bool writeXml(XmlDocument& document) const;

private:
    std::vector<std::string> coverPaths_;
    std::vector<std::unique_ptr<TransitionSettings>> templates_;
};

} // namespace pictavo
