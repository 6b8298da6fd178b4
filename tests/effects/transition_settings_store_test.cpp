#include "core/xml_document.h"
#include "effects/transition_settings_store.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pictavo {
namespace {

bool atDefaults(const TransitionSettingsStore& store)
{
    if (store.templateCount() != TransitionSettingsStore::kTemplateCount)
        return false;
    for (int position = 0; position < store.templateCount(); ++position) {
        const auto expected =
            TransitionSettings::createDefault(transitionTypeAtPickPosition(position));
        if (!(*store.templateAt(position) == *expected))
            return false;
    }
    return true;
}

// Moves every concrete template away from its defaults.
void changeEveryTemplate(TransitionSettingsStore& store)
{
    for (int position = 1; position < store.templateCount(); ++position) {
        TransitionSettings* value = store.templateAt(position);
        value->setParameters(value->first() + 1, value->second() + 2);
    }
}

// The text of one value's element, as the writer produces it.
std::string entryText(const TransitionSettings& value)
{
    XmlDocument document;
    document.addElement("r");
    document.enterElement();
    value.writeXml(document);
    const std::string& text = document.documentText();
    const std::string open = "<r>\r\n";
    const std::string close = "</r>\r\n";
    return text.substr(open.size(), text.size() - open.size() - close.size());
}

std::vector<std::string> defaultEntries()
{
    std::vector<std::string> entries;
    for (int position = 0; position < TransitionSettingsStore::kTemplateCount; ++position)
        entries.push_back(
            entryText(*TransitionSettings::createDefault(transitionTypeAtPickPosition(position))));
    return entries;
}

// A preferences-like document whose EFFECT_SETS holds the given entries.
std::string preferencesText(const std::vector<std::string>& entries)
{
    std::string text = "<reference>\r\n<DefaultImage>3</DefaultImage>\r\n<EFFECT_SETS>\r\n";
    for (const std::string& entry : entries)
        text += entry;
    return text + "</EFFECT_SETS>\r\n</reference>\r\n";
}

// Reads the store from a preferences text, positioned inside the root as the preferences
// reader leaves it.
bool readStore(TransitionSettingsStore& store, const std::string& text)
{
    XmlDocument document;
    EXPECT_TRUE(document.setText(text));
    EXPECT_TRUE(document.findElement("reference"));
    EXPECT_TRUE(document.enterElement());
    EXPECT_TRUE(document.findElement("DefaultImage"));
    return store.readXml(document);
}

std::string writtenPreferences(const TransitionSettingsStore& store)
{
    XmlDocument document;
    EXPECT_TRUE(document.addElement("reference"));
    EXPECT_TRUE(document.enterElement());
    EXPECT_TRUE(document.addElement("DefaultImage", "3"));
    EXPECT_TRUE(store.writeXml(document));
    EXPECT_EQ(document.tagName(), "EFFECT_SETS");
    EXPECT_TRUE(document.leaveElement());
    return document.documentText();
}

TEST(TransitionSettingsStore, StartsWithNineteenDefaultTemplatesInPickingOrder)
{
    TransitionSettingsStore store;
    EXPECT_TRUE(atDefaults(store));
    EXPECT_EQ(store.templateAt(0)->type(), kTransitionRandom);
    EXPECT_EQ(store.templateAt(8)->type(), kTransitionDoor);
    EXPECT_EQ(store.templateAt(18)->type(), kTransitionZoom);
    EXPECT_EQ(store.templateAt(-1), nullptr);
    EXPECT_EQ(store.templateAt(19), nullptr);
    ASSERT_EQ(store.coverPaths().size(), 19u);
    for (int position = 0; position < 19; ++position)
        EXPECT_EQ(store.coverPathAt(position), coverPath(position));
    EXPECT_EQ(store.coverPathAt(19), "");

    changeEveryTemplate(store);
    EXPECT_FALSE(atDefaults(store));
    store.resetToDefaults();
    EXPECT_TRUE(atDefaults(store));
}

TEST(TransitionSettingsStore, WritesNineteenEntriesAndReadsThemBack)
{
    TransitionSettingsStore defaults;
    const std::string text = writtenPreferences(defaults);
    EXPECT_EQ(text, preferencesText(defaultEntries()));
    EXPECT_NE(text.find("<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\">\r\n"
                        "<TRANSITION_EFFECT_DOOR_PARAM>0</TRANSITION_EFFECT_DOOR_PARAM>\r\n"
                        "</TRANSITION_EFFECT_SETTING>\r\n"),
              std::string::npos);

    TransitionSettingsStore store;
    changeEveryTemplate(store);
    EXPECT_TRUE(readStore(store, text));
    EXPECT_TRUE(atDefaults(store));

    TransitionSettingsStore changed;
    changeEveryTemplate(changed);
    TransitionSettingsStore reread;
    EXPECT_TRUE(readStore(reread, writtenPreferences(changed)));
    for (int position = 0; position < 19; ++position)
        EXPECT_EQ(*reread.templateAt(position), *changed.templateAt(position)) << position;
}

TEST(TransitionSettingsStore, IncompleteOrDamagedSetsFallBackToTheDefaults)
{
    const std::vector<std::string> good = defaultEntries();
    const auto without = [&](int position) {
        auto entries = good;
        entries.erase(entries.begin() + position);
        return entries;
    };
    const auto with = [&](int position, const std::string& entry) {
        auto entries = good;
        entries.insert(entries.begin() + position, entry);
        return entries;
    };
    const auto replaced = [&](int position, const std::string& entry) {
        auto entries = good;
        entries[position] = entry;
        return entries;
    };
    const auto swapped = [&](int a, int b) {
        auto entries = good;
        std::swap(entries[a], entries[b]);
        return entries;
    };
    const std::string unknown = "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_MELT\"/>\r\n";
    const std::string notANumber =
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\">\r\n"
        "<TRANSITION_EFFECT_DOOR_PARAM>1st</TRANSITION_EFFECT_DOOR_PARAM>\r\n"
        "</TRANSITION_EFFECT_SETTING>\r\n";
    const std::string doorWithoutParameter =
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\"/>\r\n";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"18 entries", preferencesText(without(18))},
        {"18 entries, one from the middle missing", preferencesText(without(5))},
        {"20 entries", preferencesText(with(19, good[18]))},
        {"20 entries, an extra Random", preferencesText(with(0, good[0]))},
        {"no entries", preferencesText({})},
        {"an unknown NAME", preferencesText(replaced(8, unknown))},
        {"an unknown NAME as a 20th entry", preferencesText(with(19, unknown))},
        {"a missing parameter element", preferencesText(replaced(8, doorWithoutParameter))},
        {"two entries swapped", preferencesText(swapped(3, 4))},
        {"one template twice, another missing", preferencesText(replaced(9, good[8]))},
        {"no EFFECT_SETS", "<reference>\r\n<DefaultImage>3</DefaultImage>\r\n</reference>\r\n"},
        {"an empty EFFECT_SETS",
         "<reference>\r\n<DefaultImage>3</DefaultImage>\r\n<EFFECT_SETS/>\r\n</reference>\r\n"},
    };
    for (const auto& c : cases) {
        TransitionSettingsStore store;
        changeEveryTemplate(store);
        EXPECT_FALSE(readStore(store, c.text)) << c.what;
        EXPECT_TRUE(atDefaults(store)) << c.what;
    }

    // A parameter text that is not a plain number is read by its leading digits; the set
    // stays valid.
    TransitionSettingsStore store;
    EXPECT_TRUE(readStore(store, preferencesText(replaced(8, notANumber))));
    EXPECT_EQ(store.templateAt(8)->first(), 1);
}

TEST(TransitionSettingsStore, AnySingleMissingLineOfTheSetsIsRejected)
{
    // The writer puts one element per line; dropping any one line inside EFFECT_SETS either
    // breaks the document or loses a template or a parameter.
    const std::string text = preferencesText(defaultEntries());
    const std::size_t setsStart = text.find("<EFFECT_SETS>\r\n") + 15;
    const std::size_t setsEnd = text.find("</EFFECT_SETS>");
    int lines = 0;
    for (std::size_t begin = setsStart; begin < setsEnd; ++lines) {
        const std::size_t end = text.find("\r\n", begin) + 2;
        const std::string damaged = text.substr(0, begin) + text.substr(end);
        const std::string line = text.substr(begin, end - begin);
        begin = end;
        XmlDocument document;
        if (!document.setText(damaged))
            continue; // a broken document never reaches the store
        ASSERT_TRUE(document.findElement("reference")) << line;
        ASSERT_TRUE(document.enterElement()) << line;
        TransitionSettingsStore store;
        changeEveryTemplate(store);
        EXPECT_FALSE(store.readXml(document)) << line;
        EXPECT_TRUE(atDefaults(store)) << line;
    }
    EXPECT_GT(lines, 19);
}

TEST(TransitionSettingsStore, ReadingLeavesTheCursorOnTheSets)
{
    TransitionSettingsStore store;
    XmlDocument document;
    ASSERT_TRUE(document.setText(preferencesText(defaultEntries())));
    ASSERT_TRUE(document.findElement("reference"));
    ASSERT_TRUE(document.enterElement());
    EXPECT_TRUE(store.readXml(document));
    EXPECT_EQ(document.tagName(), "EFFECT_SETS");
    EXPECT_TRUE(document.leaveElement());
    EXPECT_EQ(document.tagName(), "reference");
}

TEST(TransitionSettingsStore, EditTemplateRunsTheEditorOnTheStoredTemplate)
{
    TransitionSettingsStore store;
    const int doorPosition = pickPositionOfTransition(kTransitionDoor);
    EXPECT_FALSE(store.editTemplate(doorPosition)); // no editor installed
    int calls = 0;
    installTransitionEditor([&](TransitionSettings& value) {
        ++calls;
        value.setParameters(1);
        return true;
    });
    EXPECT_TRUE(store.editTemplate(doorPosition));
    EXPECT_EQ(store.templateAt(doorPosition)->first(), 1);
    EXPECT_FALSE(store.editTemplate(0));
    EXPECT_FALSE(store.editTemplate(-1));
    EXPECT_FALSE(store.editTemplate(19));
    EXPECT_EQ(calls, 1);
    installTransitionEditor({});

    // A photo's copy does not follow later changes of the template.
    auto copy = TransitionSettings::createFromTemplate(*store.templateAt(doorPosition));
    store.templateAt(doorPosition)->setParameters(0);
    EXPECT_EQ(copy->first(), 1);
}

} // namespace
} // namespace pictavo
