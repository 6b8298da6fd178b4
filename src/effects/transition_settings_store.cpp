#include "effects/transition_settings_store.h"

#include "core/xml_document.h"

namespace pictavo {
TransitionSettingsStore::TransitionSettingsStore()
{
    coverPaths_.reserve(kTemplateCount);
    for (int position = 0; position < kTemplateCount; ++position)
        coverPaths_.push_back(coverPath(position));
    resetToDefaults();
}

void TransitionSettingsStore::resetToDefaults()
{
    templates_.clear();
    for (int position = 0; position < kTemplateCount; ++position)
        templates_.push_back(
            TransitionSettings::createDefault(transitionTypeAtPickPosition(position)));
}

TransitionSettings* TransitionSettingsStore::templateAt(int position)
{
    if (position < 0 || position >= templateCount())
        return nullptr;
    return templates_[position].get();
}

const TransitionSettings* TransitionSettingsStore::templateAt(int position) const
{
    if (position < 0 || position >= templateCount())
        return nullptr;
    return templates_[position].get();
}

std::string TransitionSettingsStore::coverPathAt(int position) const
{
    if (position < 0 || position >= static_cast<int>(coverPaths_.size()))
        return {};
    return coverPaths_[position];
}

bool TransitionSettingsStore::editTemplate(int position)
{
    TransitionSettings* value = templateAt(position);
    return value && value->edit();
}

bool TransitionSettingsStore::readXml(XmlDocument& document)
{
    if (!document.findElement(kTransitionStoreElement)) {
        resetToDefaults();
        return false;
    }
    // Read everything first and take it over only when the whole set is sound, so a damaged
    // file never leaves a hole, a repeated template or a template out of place.
    std::vector<std::unique_ptr<TransitionSettings>> read;
    bool sound = true;
    if (document.enterElement()) {
        while (sound && document.findElement()) {
            auto value = TransitionSettings::createFromXml(document);
            const int position = static_cast<int>(read.size());
            if (!value || position >= kTemplateCount ||
                value->type() != transitionTypeAtPickPosition(position))
                sound = false;
            else
                read.push_back(std::move(value));
        }
        document.leaveElement();
    }
    if (!sound || static_cast<int>(read.size()) != kTemplateCount) {
        resetToDefaults();
        return false;
    }
    templates_ = std::move(read);
    return true;
}

bool TransitionSettingsStore::writeXml(XmlDocument& document) const
{
    if (!document.addElement(kTransitionStoreElement) || !document.enterElement())
        return false;
    bool written = true;
    for (const auto& value : templates_) {
        if (!value->writeXml(document)) {
            written = false;
            break;
        }
    }
    return document.leaveElement() && written;
}

} // namespace pictavo
