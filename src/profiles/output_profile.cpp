#include "profiles/output_profile.h"

#include "core/xml_document.h"

#include <cstddef>

namespace pictavo {

namespace {

// Parameter element names under "video" and under "audio", in file order.
constexpr std::array<std::string_view, 4> kVideoElements = {"codec", "size", "bitrate",
                                                            "framerate"};
constexpr std::array<std::string_view, 4> kAudioElements = {"codec", "bitrate", "samplerate",
                                                            "channel"};

// Finds the named element after the current one and loads it into the parameter.
bool loadParameterElement(XmlDocument& document, std::string_view name, ProfileParameter& parameter)
{
    return document.findElement(name) && parameter.load(document);
}

} // namespace

FrameRateTiming frameRateTiming(std::string_view frameRateText)
{
    if (frameRateText == "29.97") {
        return FrameRateTiming::Ntsc;
    }
    if (frameRateText == "25") {
        return FrameRateTiming::Pal;
    }
    return FrameRateTiming::Unchanged;
}

bool readProfileDocument(const std::string& path, XmlDocument& document)
{
    std::string text;
    std::size_t byteCount = 0;
    if (!readXmlFile(path, text, &byteCount)) {
        return false;
    }
    // The text ends at its first zero character (a UTF-16 file without its mark stops after
    // its first character and then fails the length check).
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    if (!passesLengthCheck(text, byteCount)) {
        return false;
    }
    return document.setText(text);
}

void ProfileParameter::selectByText(std::string_view text)
{
    if (values_.empty()) {
        return;
    }
    for (const ProfileValue& value : values_) {
        if (value.text == text) {
            current_ = value;
            return;
        }
    }
    current_ = values_.back();
}

bool ProfileParameter::load(XmlDocument& document)
{
    current_.index = decimalValue(document.attribute("list_index"));
    current_.text = document.attribute("value");
    valueListCount_ = decimalValue(document.attribute("value_list_count"));
    values_.clear();
    if (valueListCount_ < 0) {
        return false;
    }
    if (!document.enterElement()) {
        return false;
    }
    // The search never goes back, so once an entry is missing all later ones are too; stopping
    // there keeps a huge announced count from spinning.
    for (int i = 0; i < valueListCount_; ++i) {
        if (!document.findElement("value_list")) {
            break;
        }
        values_.push_back(ProfileValue{i, document.attribute("value")});
    }
    return document.leaveElement();
}

bool OutputProfile::loadFile(const std::string& path)
{
    XmlDocument document;
    if (!readProfileDocument(path, document)) {
        return false;
    }
    if (!document.findElement("output_profile") || !document.enterElement()) {
        return false;
    }
    if (!document.findElement("format")) {
        return false;
    }
    format_ = document.attribute("format");
    ext_ = document.attribute("ext");
    descS_ = document.attribute("desc_s");
    descL_ = document.attribute("desc_l");
    listIndex_ = decimalValue(document.attribute("list_index"));

    if (!document.findElement("parameters") || !document.enterElement()) {
        return false;
    }
    if (!document.findElement("video") || !document.enterElement()) {
        return false;
    }
    for (std::size_t i = 0; i < kVideoElements.size(); ++i) {
        if (!loadParameterElement(document, kVideoElements[i], parameters_[i])) {
            return false;
        }
    }
    if (!document.leaveElement()) {
        return false;
    }
    if (!document.findElement("audio") || !document.enterElement()) {
        return false;
    }
    for (std::size_t i = 0; i < kAudioElements.size(); ++i) {
        if (!loadParameterElement(document, kAudioElements[i],
                                  parameters_[kVideoElements.size() + i])) {
            return false;
        }
    }
    return true;
}

void OutputProfile::applyChoices(const std::array<std::string, kProfileParameterCount>& texts)
{
    for (int i = 0; i < kProfileParameterCount; ++i) {
        parameters_[i].selectByText(texts[i]);
    }
}

int OutputProfile::videoBitrateValue() const
{
    return decimalValue(currentText(ProfileParameterId::VideoBitrate));
}

int OutputProfile::audioBitrateValue() const
{
    return decimalValue(currentText(ProfileParameterId::AudioBitrate));
}

} // namespace pictavo
