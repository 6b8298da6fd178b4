#include "profiles/profile_catalogue.h"

#include "profile_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pictavo {
namespace {

using test::catalogueText;
using test::groupElement;
using test::profileText;

// An application folder in a temporary folder with profile/avoutput and helpers to fill it.
class ProfileCatalogueTest : public ::testing::Test {
public:
    std::string baseFolder() const { return ProfileCatalogue::groupBaseFolder(dir_.path()); }

    void writeCatalogue(const std::string& bytes)
    {
        std::filesystem::create_directories(baseFolder());
        ASSERT_TRUE(test::writeFile(ProfileCatalogue::catalogueFilePath(dir_.path()), bytes));
    }

    // Writes a file into a group folder (created on demand).
    void writeGroupFile(const std::string& folder, const std::string& name,
                        const std::string& bytes)
    {
        const std::string path = baseFolder() + "/" + folder;
        std::filesystem::create_directories(path);
        ASSERT_TRUE(test::writeFile(path + "/" + name, bytes));
    }

    // Writes one valid profile per entry: file name, long description and list_index.
    struct ProfileFile {
        const char* name;
        const char* descL;
        int listIndex;
    };
    void writeProfiles(const std::string& folder, const std::vector<ProfileFile>& files)
    {
        for (const ProfileFile& file : files) {
            writeGroupFile(folder, file.name, profileText(file.descL, file.listIndex));
        }
    }

    std::vector<std::string> descriptions(const ProfileGroup& group) const
    {
        std::vector<std::string> result;
        for (const OutputProfile& profile : group.profiles()) {
            result.push_back(profile.descL());
        }
        return result;
    }

    std::vector<std::string> groupDescriptions() const
    {
        std::vector<std::string> result;
        for (const ProfileGroup& group : catalogue_.groups()) {
            result.push_back(group.desc());
        }
        return result;
    }

    test::TempDir dir_;
    ProfileCatalogue catalogue_;
};

TEST_F(ProfileCatalogueTest, LoadsEveryGroupAndUsesTheFirst)
{
    writeCatalogue(catalogueText(2, groupElement(7, "Players", "players") +
                                        groupElement(9, "Phones", "phones")));
    writeProfiles("players", {{"dvd.xml", "DVD", 0}, {"vcd.xml", "VCD", 1}});
    writeProfiles("phones", {{"small.xml", "Small", 0}});

    ASSERT_TRUE(catalogue_.load(dir_.path()));
    ASSERT_EQ(catalogue_.groupCount(), 2);
    const ProfileGroup& players = catalogue_.groups()[0];
    EXPECT_EQ(players.id(), 7);
    EXPECT_EQ(players.desc(), "Players");
    EXPECT_EQ(players.folderPath(), baseFolder() + "/players");
    EXPECT_EQ(catalogue_.groups()[1].id(), 9);
    EXPECT_EQ(catalogue_.groups()[1].profileCount(), 1);

    ASSERT_EQ(catalogue_.currentGroup(), &players);
    EXPECT_EQ(players.currentProfileIndex(), 0);
    ASSERT_NE(catalogue_.currentProfile(), nullptr);
    EXPECT_EQ(catalogue_.currentProfile()->descL(), "DVD");
}

TEST_F(ProfileCatalogueTest, ProfilesAreOrderedByListIndex)
{
    struct Case {
        const char* name;
        std::vector<ProfileFile> files; // in name (listing) order
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"2, 0, 1", {{"a.xml", "A", 2}, {"b.xml", "B", 0}, {"c.xml", "C", 1}}, {"B", "C", "A"}},
        {"0, 0, 5", {{"a.xml", "A", 0}, {"b.xml", "B", 0}, {"c.xml", "C", 5}}, {"A", "B"}},
        {"negative and too large",
         {{"a.xml", "A", -1}, {"b.xml", "B", 1}, {"c.xml", "C", 4}, {"d.xml", "D", 0}},
         {"D", "B"}},
        // Listing order is name order, whatever order the files were written in.
        {"same index by name",
         {{"z.xml", "Z", 0}, {"m.xml", "M", 0}, {"a.xml", "A", 0}},
         {"A", "M", "Z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string folder = ProfileCatalogue::groupBaseFolder(dir.path()) + "/g";
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(test::writeFile(ProfileCatalogue::catalogueFilePath(dir.path()),
                                    catalogueText(1, groupElement(0, "G", "g"))));
        for (const ProfileFile& file : c.files) {
            ASSERT_TRUE(
                test::writeFile(folder + "/" + file.name, profileText(file.descL, file.listIndex)));
        }
        ASSERT_TRUE(catalogue_.load(dir.path()));
        EXPECT_EQ(descriptions(*catalogue_.currentGroup()), c.expected);
    }
}

TEST_F(ProfileCatalogueTest, OnlyFilesWithTheXmlExtensionAreProfiles)
{
    writeCatalogue(catalogueText(1, groupElement(0, "G", "g")));
    writeProfiles("g", {{"upper.XML", "Upper", 0}, {"xml", "Bare", 1}, {"mixed.XmL", "Mixed", 2}});
    writeGroupFile("g", "readme.txt", "not a profile");
    writeGroupFile("g", "old.xml.bak", "not a profile");
    writeGroupFile("g", "xmlnotes", "not a profile");
    writeGroupFile("g", "notes.xmlx", "not a profile");
    // A folder is never read as a profile, whatever its name.
    std::filesystem::create_directories(baseFolder() + "/g/sub.xml");

    ASSERT_TRUE(catalogue_.load(dir_.path()));
    EXPECT_EQ(descriptions(*catalogue_.currentGroup()),
              (std::vector<std::string>{"Upper", "Bare", "Mixed"}));
}

TEST_F(ProfileCatalogueTest, AFailingGroupStopsLoadingAndKeepsTheGroupsBefore)
{
    struct Case {
        const char* name;
        void (*prepareSecondGroup)(ProfileCatalogueTest&);
    };
    const Case cases[] = {
        {"only non-XML files",
         [](ProfileCatalogueTest& t) { t.writeGroupFile("second", "a.txt", "text"); }},
        {"empty folder",
         [](ProfileCatalogueTest& t) {
             std::filesystem::create_directories(t.baseFolder() + "/second");
         }},
        {"missing folder", [](ProfileCatalogueTest&) {}},
        {"one broken profile",
         [](ProfileCatalogueTest& t) {
             t.writeProfiles("second", {{"a.xml", "A", 0}, {"c.xml", "C", 1}});
             t.writeGroupFile("second", "b.xml", "<output_profile>");
         }},
        {"UTF-16 profile without mark",
         [](ProfileCatalogueTest& t) {
             t.writeGroupFile("second", "a.xml", test::utf16Bytes(profileText("A", 0), false));
         }},
        {"negative value_list_count",
         [](ProfileCatalogueTest& t) {
             t.writeGroupFile("second", "a.xml",
                              test::replaceFirst(profileText("A", 0), "value_list_count=\"2\"",
                                                 "value_list_count=\"-2\""));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(baseFolder());
        writeCatalogue(catalogueText(3, groupElement(0, "First", "first") +
                                            groupElement(1, "Second", "second") +
                                            groupElement(2, "Third", "third")));
        writeProfiles("first", {{"p.xml", "P", 0}});
        writeProfiles("third", {{"p.xml", "P", 0}});
        c.prepareSecondGroup(*this);

        EXPECT_FALSE(catalogue_.load(dir_.path()));
        EXPECT_EQ(groupDescriptions(), std::vector<std::string>{"First"});
        ASSERT_NE(catalogue_.currentProfile(), nullptr);
        EXPECT_EQ(catalogue_.currentProfile()->descL(), "P");
    }
}

TEST_F(ProfileCatalogueTest, GroupCountDecidesTheResult)
{
    writeProfiles("a", {{"p.xml", "A", 0}});
    writeProfiles("b", {{"p.xml", "B", 0}});
    const std::string two = groupElement(0, "A", "a") + groupElement(1, "B", "b");
    struct Case {
        const char* name;
        std::string catalogue;
        bool result;
        std::vector<std::string> groups;
    };
    const std::vector<Case> cases = {
        {"exact count", catalogueText(2, two), true, {"A", "B"}},
        {"fewer announced", catalogueText(1, two), true, {"A"}},
        {"more announced", catalogueText(5, two), false, {"A", "B"}},
        {"zero", catalogueText(0, two), true, {}},
        {"negative", catalogueText(-1, two), false, {}},
        {"missing count", test::replaceFirst(catalogueText(2, two), " count=\"2\"", ""), true, {}},
        {"child of another name",
         catalogueText(2,
                       groupElement(0, "A", "a") + "<grp id=\"1\" desc=\"B\" folder=\"b\"/>\r\n"),
         false,
         {"A"}},
        {"other elements inside a group are not read",
         catalogueText(1, "<group id=\"3\" desc=\"A\" folder=\"a\"><x/></group>\r\n"),
         true,
         {"A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeCatalogue(c.catalogue);
        EXPECT_EQ(catalogue_.load(dir_.path()), c.result);
        EXPECT_EQ(groupDescriptions(), c.groups);
    }
}

TEST_F(ProfileCatalogueTest, BrokenCatalogueFileLeavesNoGroups)
{
    writeProfiles("a", {{"p.xml", "A", 0}});
    const std::string good = catalogueText(1, groupElement(0, "A", "a"));
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() - 12)},
        {"wrong root",
         "<profile_groups count=\"1\">" + groupElement(0, "A", "a") + "</profile_groups>"},
        {"UTF-16 without mark", test::utf16Bytes(good, false)},
        {"binary", std::string("\x00\x01\x02<\x00>", 6) + std::string(200, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A loaded catalogue first, so that a failed load is seen to clear it.
        writeCatalogue(good);
        ASSERT_TRUE(catalogue_.load(dir_.path()));
        writeCatalogue(c.bytes);
        EXPECT_FALSE(catalogue_.load(dir_.path()));
        EXPECT_EQ(catalogue_.groupCount(), 0);
        EXPECT_EQ(catalogue_.currentGroup(), nullptr);
        EXPECT_EQ(catalogue_.currentProfile(), nullptr);
    }
    std::filesystem::remove(ProfileCatalogue::catalogueFilePath(dir_.path()));
    EXPECT_FALSE(catalogue_.load(dir_.path()));
    EXPECT_EQ(catalogue_.groupCount(), 0);
    EXPECT_FALSE(catalogue_.load(dir_.path() + "/no such folder"));
}

TEST_F(ProfileCatalogueTest, Utf16FilesWithMarkLoad)
{
    writeCatalogue(test::utf16Bytes(catalogueText(1, groupElement(4, "Wide", "wide")), true));
    writeGroupFile("wide", "p.xml", test::utf16Bytes(profileText("Wide profile", 0), true));
    ASSERT_TRUE(catalogue_.load(dir_.path()));
    ASSERT_NE(catalogue_.currentProfile(), nullptr);
    EXPECT_EQ(catalogue_.currentGroup()->id(), 4);
    EXPECT_EQ(catalogue_.currentProfile()->descL(), "Wide profile");
    EXPECT_EQ(catalogue_.currentProfile()->currentText(ProfileParameterId::VideoSize), "320x240");
}

TEST_F(ProfileCatalogueTest, CurrentProfileLookUpGuardsEveryPosition)
{
    writeCatalogue(catalogueText(1, groupElement(0, "G", "g")));
    writeProfiles("g", {{"a.xml", "A", 0}, {"b.xml", "B", 1}});
    ASSERT_TRUE(catalogue_.load(dir_.path()));
    ProfileGroup& group = *catalogue_.currentGroup();

    const std::pair<int, const char*> cases[] = {{1, "B"}, {0, "A"}, {2, nullptr}, {-1, nullptr}};
    for (const auto& [position, descL] : cases) {
        SCOPED_TRACE(position);
        group.setCurrentProfile(position);
        EXPECT_EQ(group.currentProfileIndex(), position);
        if (descL) {
            ASSERT_NE(catalogue_.currentProfile(), nullptr);
            EXPECT_EQ(catalogue_.currentProfile()->descL(), descL);
            EXPECT_EQ(group.profileAt(position), catalogue_.currentProfile());
        } else {
            EXPECT_EQ(group.currentProfile(), nullptr);
            EXPECT_EQ(catalogue_.currentProfile(), nullptr);
            EXPECT_EQ(group.profileAt(position), nullptr);
        }
    }
}

TEST_F(ProfileCatalogueTest, ChosenValuesStayWithTheirProfile)
{
    writeCatalogue(catalogueText(1, groupElement(0, "G", "g")));
    writeProfiles("g", {{"a.xml", "A", 0}, {"b.xml", "B", 1}});
    ASSERT_TRUE(catalogue_.load(dir_.path()));
    ProfileGroup& group = *catalogue_.currentGroup();

    catalogue_.currentProfile()->applyChoices(
        {"libx264", "176x144", "1000", "25", "mp3", "192", "48000", "1"});
    group.setCurrentProfile(1);
    EXPECT_EQ(catalogue_.currentProfile()->currentText(ProfileParameterId::VideoFrameRate),
              "29.97");
    group.setCurrentProfile(0);
    EXPECT_EQ(catalogue_.currentProfile()->currentText(ProfileParameterId::VideoFrameRate), "25");
    EXPECT_EQ(catalogue_.currentProfile()->currentText(ProfileParameterId::VideoSize), "176x144");
}

} // namespace
} // namespace pictavo
